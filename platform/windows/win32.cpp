// Shared pieces of the Windows layer: command line quoting, inheritable
// handles, waiting, and the system's words for errors.
#include "platform/windows/win32.h"

namespace platform::win32 {

namespace {

bool is_blank(char byte) { return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\v'; }

bool is_digit(char byte) { return byte >= '0' && byte <= '9'; }

// Inserts are numbered from 1; "%0" ends a message and is no insert.
bool is_insert_digit(char byte) { return byte >= '1' && byte <= '9'; }

}  // namespace

// '%', '!' and the digits are below 0x40, so none of them is ever the second
// byte of a double-byte character: a byte-wise scan finds the inserts.
std::string filled_inserts(std::string_view text, std::string_view subject) {
  std::string filled;
  std::size_t at = 0;
  while (at < text.size()) {
    const bool insert = text[at] == '%' && at + 1 < text.size() && is_insert_digit(text[at + 1]);
    if (!insert) {
      filled += text[at++];
      continue;
    }
    at += 2;
    if (at < text.size() && is_digit(text[at])) ++at;
    if (at < text.size() && text[at] == '!') {
      const std::size_t format_end = text.find('!', at + 1);
      if (format_end != std::string_view::npos) at = format_end + 1;
    }
    filled += subject;
  }
  return filled;
}

// Formatted without inserts: filling them from arguments the system reads as
// it likes would read values that are not there.
std::string system_message(DWORD error, std::string_view subject) {
  char* text = nullptr;
  const DWORD length = ::FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message =
      length > 0 ? filled_inserts(std::string_view(text, length), subject) : std::string();
  ::LocalFree(text);
  while (!message.empty() && message.front() == ' ') message.erase(0, 1);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.')) {
    message.pop_back();
  }
  if (message.empty()) message = "system error " + std::to_string(error);
  return message;
}

// The C runtime splits a command line at blanks outside double quotes; a
// quote toggles quoting; 2n backslashes before a quote stand for n
// backslashes and the quote is a delimiter, 2n+1 for n and a literal quote;
// other backslashes are literal. Runtimes differ on one point: some take the
// byte after a double-byte lead byte as part of the character, others look at
// it on its own, and in code page 932 that byte may be 0x5C, a backslash.
// Both readings agree as long as no delimiting quote follows a backslash or a
// lead byte, so the quoted stretch runs from the start of the argument to just
// after its last blank, and the rest stands unquoted.
std::string quote_argument(std::string_view argument) {
  if (argument.empty()) return "\"\"";
  std::size_t last_blank = std::string_view::npos;
  for (std::size_t i = 0; i < argument.size(); ++i) {
    if (is_blank(argument[i])) last_blank = i;
  }

  std::string quoted;
  if (last_blank != std::string_view::npos) quoted += '"';
  std::size_t backslashes = 0;  // backslashes just written, before a possible quote
  for (std::size_t i = 0; i < argument.size(); ++i) {
    const char byte = argument[i];
    if (byte == '"') {
      // Double the backslashes already written and escape the quote.
      quoted.append(backslashes + 1, '\\');
      backslashes = 0;
    } else {
      backslashes = byte == '\\' ? backslashes + 1 : 0;
    }
    quoted += byte;
    if (i == last_blank) quoted += '"';
  }
  return quoted;
}

std::string command_line(const std::string& program, const std::vector<std::string>& arguments) {
  // The program's own name is read up to the next quote, without escapes; a
  // Windows path holds no quote.
  std::string line = "\"" + program + "\"";
  for (const std::string& argument : arguments) line += " " + quote_argument(argument);
  return line;
}

Handle open_inheritable(const char* name, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return Handle(::CreateFileA(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              &inheritable, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

Handle inheritable_standard_handle(DWORD which) {
  const HANDLE original = ::GetStdHandle(which);
  if (original == nullptr || original == INVALID_HANDLE_VALUE) return Handle();
  HANDLE copy = nullptr;
  if (!::DuplicateHandle(::GetCurrentProcess(), original, ::GetCurrentProcess(), &copy, 0, TRUE,
                         DUPLICATE_SAME_ACCESS)) {
    return Handle();
  }
  return Handle(copy);
}

STARTUPINFOA startup_with_handles(HANDLE input, HANDLE output, HANDLE error) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = error;
  return startup;
}

std::optional<DWORD> wait_for_exit(HANDLE process) {
  DWORD code = 0;
  if (::WaitForSingleObject(process, INFINITE) != WAIT_OBJECT_0 ||
      !::GetExitCodeProcess(process, &code)) {
    return std::nullopt;
  }
  return code;
}

}  // namespace platform::win32
