#include "ralu/command/stat_options.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace ralu {

namespace {

const char* form_name(StatForm form) {
  switch (form) {
    case StatForm::numstat:
      return "--numstat";
    case StatForm::shortstat:
      return "--shortstat";
    case StatForm::none:
    case StatForm::stat:
      break;
  }
  return "--stat";
}

// One field of --stat's value: decimal digits, with 0 and nothing meaning
// the field is left out, as git reads it.
bool read_field(std::string_view text, std::optional<std::size_t>& field) {
  std::size_t value = 0;
  for (const char digit : text) {
    if (digit < '0' || digit > '9') return false;
    const std::size_t next = value * 10 + static_cast<std::size_t>(digit - '0');
    value = next / 10 == value ? next : SIZE_MAX;
  }
  field = value == 0 ? std::nullopt : std::optional<std::size_t>(value);
  return true;
}

std::string read_limits(const GivenOption& given, StatLimits& limits) {
  limits = {};
  if (!given.value) return "";
  std::optional<std::size_t>* const fields[] = {&limits.width, &limits.name_width, &limits.count};
  std::string_view rest = *given.value;
  for (std::optional<std::size_t>* field : fields) {
    const std::size_t comma = rest.find(',');
    if (!read_field(rest.substr(0, comma), *field)) break;
    if (comma == std::string_view::npos) return "";
    rest.remove_prefix(comma + 1);
  }
  return given.written + ": invalid width '" + std::string(*given.value) +
         "' (WIDTH[,NAME-WIDTH[,COUNT]])";
}

}  // namespace

std::string read_stat_option(StatForm form, const GivenOption& given, Options& options) {
  if (options.stat_form != StatForm::none && options.stat_form != form) {
    return std::string(form_name(options.stat_form)) + " and " + form_name(form) +
           " cannot go together";
  }
  options.stat_form = form;
  return form == StatForm::stat ? read_limits(given, options.stat_limits) : "";
}

std::string stat_mistake(const Options& options) {
  if (options.stat_form == StatForm::none) return "";
  const std::string name = form_name(options.stat_form);
  if (options.form_given && options.form != OutputForm::unified) {
    return name + ": only a unified patch can follow it";
  }
  if (options.brief) return name + " and --brief cannot go together";
  if (options.report_identical) return name + " and --report-identical-files cannot go together";
  return "";
}

bool patch_follows_stat(const Options& options) {
  return options.stat_form != StatForm::none && (options.form_given || options.show_c_function);
}

}  // namespace ralu
