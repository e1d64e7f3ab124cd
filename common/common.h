// The common utility library shared by kevo and the tools built on it.
//
// Everything here works on NUL-terminated byte strings that hold Shift-JIS
// (code page 932) text. The library lives in namespace `common` so that its
// routine names (index, rindex, clear, ...) never meet the C library's.
#pragma once

#include <array>
#include <concepts>
#include <cstdint>
#include <cstdio>
#include <span>

namespace common {

// ---------------------------------------------------------------------------
// Globals that the tool (the command linking this library) defines.
// ---------------------------------------------------------------------------

// Printed in front of every line that reports on a file or a pair.
extern const char* cmd_name;
// The help text, one line an entry, ended by a null entry.
extern const char* const usage[];
// Clean-up run by the memory helpers before they end the process; may be null.
extern void (*endfun)();
// Where diagnostics go: null for standard error, errfp_stdout() for standard
// output, any other stream for errmsg1 only.
extern std::FILE* errfp;

// ---------------------------------------------------------------------------
// Globals that the library defines.
// ---------------------------------------------------------------------------

// 0 at start; set to 1 by every errmsg call and never set back.
extern std::int32_t errmsg_output_flg;

// 2147483647 at start. A failed getmem of this many bytes or more returns null
// instead of ending the process; a tool may lower it at any time.
extern std::int32_t terminate_size;

// ---------------------------------------------------------------------------
// Diagnostic output.
//
// The formatter knows five conversions: %c (an int's low byte), %d (signed
// decimal), %x (lowercase hex of the value as unsigned 32-bit), %s (a string's
// bytes) and %f (a double, six decimals). There are no flags, widths or
// escapes: any other character after '%' writes "?" and that character, and
// like every conversion it uses up one value. A '%' as the template's last
// byte writes "?" and ends the text.
//
// Values are passed as typed ErrArg objects instead of C varargs, so the
// formatter always knows how many values it was given: a conversion with no
// value left writes nothing (an unknown one still writes its "?c"). A number
// given to %s, or a string given to a numeric conversion, is used up and
// writes nothing; an integer given to %f is taken as a double, and a double
// given to %c/%d/%x is truncated toward zero into 32 bits.
// ---------------------------------------------------------------------------

// One value for the formatter.
class ErrArg {
 public:
  enum class Kind { integer, real, text };

  template <std::integral T>
  ErrArg(T value) : kind_(Kind::integer), integer_(static_cast<std::int32_t>(value)) {}
  template <std::floating_point T>
  ErrArg(T value) : kind_(Kind::real), real_(static_cast<double>(value)) {}
  ErrArg(const char* text) : kind_(Kind::text), text_(text) {}
  ErrArg(const unsigned char* text)
      : kind_(Kind::text), text_(reinterpret_cast<const char*>(text)) {}

  Kind kind() const { return kind_; }
  std::int32_t integer() const { return integer_; }
  double real() const { return real_; }
  const char* text() const { return text_; }

 private:
  Kind kind_;
  std::int32_t integer_ = 0;
  double real_ = 0.0;
  const char* text_ = nullptr;
};

// Size of the static composition area, terminator included.
inline constexpr std::size_t err_edit_area_size = 1024;

// The errfp value that sends diagnostics to standard output.
inline std::FILE* errfp_stdout() { return reinterpret_cast<std::FILE*>(~std::uintptr_t{0}); }

// Composes the template into the static area and returns it. The area holds at
// most 1023 bytes of text; anything beyond is dropped (errmsg and errmsg1
// write longer texts whole). The result is overwritten by the next call.
const char* verr_edit(const char* format, std::span<const ErrArg> values);

// Composes and writes to standard error (standard output when errfp is
// errfp_stdout()), then sets errmsg_output_flg. Texts of any length come out
// whole; a NUL byte in the composed text ends what is written.
void verrmsg(const char* format, std::span<const ErrArg> values);

// Like verrmsg, but writes to errfp itself when errfp is another stream, and
// leaves errmsg_output_flg alone.
void verrmsg1(const char* format, std::span<const ErrArg> values);

template <class... Values>
const char* err_edit(const char* format, const Values&... values) {
  const std::array<ErrArg, sizeof...(Values)> list{ErrArg(values)...};
  return verr_edit(format, list);
}

template <class... Values>
void errmsg(const char* format, const Values&... values) {
  const std::array<ErrArg, sizeof...(Values)> list{ErrArg(values)...};
  verrmsg(format, list);
}

template <class... Values>
void errmsg1(const char* format, const Values&... values) {
  const std::array<ErrArg, sizeof...(Values)> list{ErrArg(values)...};
  verrmsg1(format, list);
}

// ---------------------------------------------------------------------------
// Memory helpers.
//
// Blocks come from the standard heap; the caller owns them and releases them
// with std::free. When the heap refuses, a helper writes its message through
// errmsg, calls endfun when it is set and ends the process with status 1, so a
// caller gets a usable result or no return at all. The only exception is
// getmem's null result for requests of at least terminate_size bytes.
//
// The size messages are "cannot get the memory of %d bytes\n" for up to 1000
// bytes and "cannot get the memory of %d K bytes\n" with size / 1000 above.
// A negative size is never passed on to the heap: it is a request that fails
// at once, with the message and outcome of any other failed request.
// ---------------------------------------------------------------------------

// A new block whose first size bytes are zero. Asks for size bytes, then once
// more for size + 4000. If both fail: the message, then null when size is at
// or above terminate_size, else endfun and exit status 1. A size of 0 gives a
// non-null block of which no byte may be relied on.
void* getmem(std::int32_t size);

// Resizes block (null: a new block) to size bytes, retrying once with
// size + 1000; the content up to the smaller size survives, added bytes are
// not cleared. Never returns null; if both attempts fail: the message, endfun,
// exit status 1. A size of 0 is taken as a request for the smallest block: the
// result is non-null and still the caller's to free, no byte of it may be
// relied on, and the block passed in is never released behind the caller's
// back (a zero-byte resize would free it and look like a failure).
void* moremem(void* block, std::int32_t size);

// A new heap copy of s. On failure "cannot get memory\n", endfun, status 1.
char* setstr(const char* s);

// Resizes the heap string buf to exactly strlen(buf) + strlen(s) + 1 bytes and
// appends s, which must not lie inside buf. The old value of buf is invalid
// afterwards. On failure "can't get memory\n", endfun, status 1.
char* addstr(char* buf, const char* s);

// ---------------------------------------------------------------------------
// Parameter tokenizer.
//
// SetParam skips blanks and tabs, then copies one token into destination and
// NUL-terminates it:
//   "..."  a quoted string: the bytes between the quotes, quotes not copied;
//          stops at the closing quote (returned, not passed) or the end.
//   [...]  a bracketed group: both brackets copied; stops at the first ']'
//          (returned, not passed) or the end. No nesting.
//   other  a bare word; stops at '=', a blank, a tab or the end.
// limit counts characters, a double-byte Shift-JIS character as one (lead
// bytes 0x80..0x9F and 0xE0..0xFC; a lead byte right before the end stands
// alone). Quoted strings and bare words take at most limit - 1 characters and
// never split a double-byte character. A bracketed group takes at most
// limit - 2 characters, '[' included, and then one more byte: the ']', the
// terminator, or the first byte of the character where the limit ran out
// (which is then where the result points). Only the first byte of a character
// can end a token. The destination needs limit bytes for single-byte text,
// 2 * limit - 1 where double-byte characters occur, and never fewer than 2.
//
// Returns where the scan stopped, within source; the caller steps over the
// delimiter there itself. Nothing is reported; malformed input just gives a
// shorter or empty token.
// ---------------------------------------------------------------------------

const unsigned char* SetParam(const unsigned char* source, unsigned char* destination,
                              std::int32_t limit);
const char* SetParam(const char* source, char* destination, std::int32_t limit);

// ---------------------------------------------------------------------------
// Tab expansion.
//
// Every tab (0x09) becomes blanks up to the next multiple of width, counting
// columns from 0 at the first byte; every other byte, CR and LF included,
// takes one column. The result lives in one static area of exp_tab_columns
// bytes plus a terminator, overwritten by each call; callers never free it.
// A plain byte fits while the column is below 2048; a tab whose stop is at
// 2048 or beyond makes the text too long, even as the last byte. A width below
// 1 is taken as 1, so every tab becomes one blank and the result never holds a
// tab.
// ---------------------------------------------------------------------------

inline constexpr std::int32_t exp_tab_columns = 2048;

// Expands text into the result area. When the text is too long, writes
// "<text> ... too long\n" (the text as given, tabs unexpanded) to standard
// output and ends the process with status 1; endfun is not called.
const char* exp_tab(std::int32_t width, const char* text);

// The same expansion without the exit: returns null when the text is too long,
// the area then holding the part that fit. For callers that recover and for
// tests that feed arbitrary text.
const char* try_exp_tab(std::int32_t width, const char* text);

}  // namespace common
