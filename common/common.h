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

// The errfp value that sends diagnostics to standard output. It is only
// compared, never dereferenced, so the integer-made pointer costs nothing.
// NOLINTNEXTLINE(performance-no-int-to-ptr)
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
// Double-byte-aware strings.
//
// Strings are NUL-terminated Shift-JIS byte strings; bytes compare as unsigned
// values. The trail byte of a double-byte character can equal an ASCII byte
// (the backslash, letters), so the routines that look for a separator or a
// given byte, replace bytes, order paths or change case read a string as
// units: a single byte, or a lead byte with the trail byte after it. Two fixed
// rules say which bytes lead:
//   scanning rule  0x80..0x9F, 0xE0..0xFC        Strchr Strrchr index2 ChgChr comp_file
//   katakana rule  0x80..0xFF but 0xA1..0xDF     StrCmp to_upper to_lower
// Under both, a lead byte right before the terminator is a single byte.
// The other routines look at plain bytes: blanks, tabs, wildcards and the dot
// never occur as trail bytes.
//
// A character argument counts by its low 8 bits only, and no search finds the
// terminator (unlike std::strchr). A search returns a pointer into the string
// it was given, or null. Each search has a const char* form and a char* form,
// so a caller that owns an editable string can edit through the result.
//
// index and rindex share their names with the POSIX <strings.h> functions;
// being in namespace common keeps them apart. Call them as common::index.
// ---------------------------------------------------------------------------

// The first unit whose first byte is ch (scanning rule); a trail byte is never found.
const char* Strchr(const char* text, int ch);
// The last unit whose first byte is ch (scanning rule).
const char* Strrchr(const char* text, int ch);
// The first byte equal to ch, trail bytes included.
const char* index(const char* text, int ch);
// The last byte equal to ch, trail bytes included.
const char* rindex(const char* text, int ch);
// The first place where pattern's bytes occur. An empty pattern is found at the
// start of a non-empty text; in an empty text nothing is found.
const char* index1(const char* text, const char* pattern);
// The first single-byte unit (scanning rule) whose byte is one of set's bytes.
// Double-byte units never match; an empty set matches nothing.
const char* index2(const char* text, const char* set);
// The first '*' or '?'.
const char* srch_wild(const char* text);
// The first byte that is neither a blank nor a tab; the terminator if none.
const char* sp_skip(const char* text);
// The first blank, tab or terminator.
const char* chr_skip(const char* text);
// The last dot of the path's name part (what follows its last backslash found
// by Strrchr), or null; a dot in a directory name is never returned.
const char* findExt(const char* path);

inline char* Strchr(char* text, int ch) {
  return const_cast<char*>(Strchr(static_cast<const char*>(text), ch));
}
inline char* Strrchr(char* text, int ch) {
  return const_cast<char*>(Strrchr(static_cast<const char*>(text), ch));
}
inline char* index(char* text, int ch) {
  return const_cast<char*>(index(static_cast<const char*>(text), ch));
}
inline char* rindex(char* text, int ch) {
  return const_cast<char*>(rindex(static_cast<const char*>(text), ch));
}
inline char* index1(char* text, const char* pattern) {
  return const_cast<char*>(index1(static_cast<const char*>(text), pattern));
}
inline char* index2(char* text, const char* set) {
  return const_cast<char*>(index2(static_cast<const char*>(text), set));
}
inline char* srch_wild(char* text) {
  return const_cast<char*>(srch_wild(static_cast<const char*>(text)));
}
inline char* sp_skip(char* text) {
  return const_cast<char*>(sp_skip(static_cast<const char*>(text)));
}
inline char* chr_skip(char* text) {
  return const_cast<char*>(chr_skip(static_cast<const char*>(text)));
}
inline char* findExt(char* path) {
  return const_cast<char*>(findExt(static_cast<const char*>(path)));
}

// Splits a wildcard path after the first component that holds '*' or '?': the
// backslash that ends that component (found by Strchr) becomes a terminator in
// path, head receives path up to it and tail the rest. Without such a
// backslash head receives the whole path, tail is empty and path is unchanged.
// head and tail are separate buffers of strlen(path) + 1 bytes each. Returns 0.
int sepname(char* path, char* head, char* tail);

// Orders file entries for std::qsort: each argument points to an array element
// that is a pointer to an entry whose first member is a pointer to its path.
// Paths with fewer backslashes (scanning rule) come first; equal counts go by
// StrCmp. Returns -1, 0 or 1.
int comp_file(const void* a, const void* b);

// Replaces every unit-starting byte (scanning rule) equal to search by
// replacement, walking the string as each replacement leaves it. A replacement
// of 0 cuts the string at every occurrence up to its original terminator; a
// search of 0 changes nothing. Returns text.
char* ChgChr(char* text, int search, int replacement);

// Puts ch in front of the string, moving it one byte up. The buffer holds
// strlen(text) + 2 bytes. Returns 0.
int insChar(char* text, int ch);

// Writes ch into the first count bytes of buffer; nothing when count <= 0. No
// terminator is written.
void clear(char* buffer, int ch, int count);

// Orders two strings (katakana rule), returning -1, 0 or 1. From lowest: the
// end of the string; bytes below 0x80, case-blind, the backslash before all
// others (so a directory's entries sort right after its name); half-width
// katakana by value; double-byte characters by lead byte, then by trail byte
// without case folding.
int StrCmp(const char* a, const char* b);

// Maps 'a'..'z' to upper case (katakana rule: double-byte characters are left
// alone, trail bytes included). Returns 0.
int to_upper(char* text);
// Maps 'A'..'Z' to lower case, as to_upper does the other way. Returns 0.
int to_lower(char* text);

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

// ---------------------------------------------------------------------------
// Standard output at the end of a run.
// ---------------------------------------------------------------------------

// Flushes standard output. When that fails, or an earlier write to it failed,
// writes "<program>: standard output: <reason>\n" to standard error and ends
// the process with failure_status; otherwise returns. The reason is errno as
// the failing flush left it, or earlier_error, the errno a caller kept from
// an earlier failed write (0 for none), or an I/O error when neither is known.
void flush_standard_output_or_exit(const char* program, int failure_status, int earlier_error = 0);

}  // namespace common
