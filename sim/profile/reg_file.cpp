#include "sim/profile/reg_file.h"

#include <vector>

#include "sim/machine/codepage.h"
#include "sim/profile/profile.h"
#include "sim/profile/shipped_profiles.h"

namespace sim {
namespace {

// Reads a .reg file line by line as its lines arrive, so that a whole
// exported hive never has to be held as text.
class RegFileParser {
 public:
  RegFileParser(const std::string& origin, Registry& registry) : origin_(origin), registry_(registry) {}

  // One physical line, without its line break.
  void AcceptLine(std::u16string_view physical) {
    ++physical_line_;
    if (!header_seen_) return AcceptHeader(physical);
    if (open_) {
      // A value may continue over several lines, each ending in a backslash.
      // Blanks after the backslash are tolerated, as regedit does.
      line_ = std::u16string(Trim(line_));
      line_.pop_back();
      continued_at_.push_back(line_.size());
      line_ += TrimLeft(physical);
    } else {
      line_number_ = physical_line_;
      line_.assign(physical.begin(), physical.end());
      continued_at_.clear();
    }
    open_ = EndsWithContinuation(line_);
    if (!open_) ParseLine(TrimLeft(line_));
  }

  // The end of the file: a last line that asks to be continued stands as it is.
  void Finish() {
    if (!header_seen_)
      Fail(1, "empty file: no \"REGEDIT4\" or \"Windows Registry Editor Version 5.00\" header");
    if (open_) ParseLine(TrimLeft(line_));
    open_ = false;
  }

 private:
  // The header may follow blank lines but nothing else.
  void AcceptHeader(std::u16string_view physical) {
    if (Trim(physical).empty()) return;
    const std::string header = WideToAnsi(Trim(physical));
    if (header == "REGEDIT4")
      unicode_ = false;
    else if (header == "Windows Registry Editor Version 5.00")
      unicode_ = true;
    else
      Fail(physical_line_,
           "not a registry file: the first line must be \"REGEDIT4\" or "
           "\"Windows Registry Editor Version 5.00\"");
    header_seen_ = true;
  }

  static bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r'; }
  static std::u16string_view TrimLeft(std::u16string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
  }
  static std::u16string_view Trim(std::u16string_view s) {
    s = TrimLeft(s);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
  }
  static bool EndsWithContinuation(const std::u16string& line) {
    std::u16string_view trimmed = Trim(line);
    // Only hex data continues; a string value ending in a backslash is closed by its quote.
    return !trimmed.empty() && trimmed.back() == u'\\' && trimmed.find(u"=hex") != std::u16string_view::npos;
  }

  [[noreturn]] void Fail(std::size_t line, const std::string& message) const {
    throw ProfileError(origin_ + ":" + std::to_string(line) + ": " + message);
  }
  [[noreturn]] void Fail(const std::string& message) const { Fail(line_number_, message); }
  // Names the physical line of a spot in a value that went on over several lines.
  [[noreturn]] void FailAt(std::u16string_view spot, const std::string& message) const {
    const std::size_t offset = static_cast<std::size_t>(spot.data() - line_.data());
    std::size_t line = line_number_;
    for (std::size_t start : continued_at_) line += offset >= start ? 1 : 0;
    Fail(line, message);
  }

  void ParseLine(std::u16string_view line) {
    if (line.empty() || line.front() == u';') return;
    if (line.front() == u'[') return ParseKey(line);
    if (line.front() == u'"' || line.front() == u'@') return ParseValue(line);
    Fail("unexpected text \"" + WideToAnsi(line.substr(0, 40)) + "\"");
  }

  void ParseKey(std::u16string_view line) {
    std::u16string_view body = Trim(line);
    if (body.back() != u']') Fail("key line without a closing \"]\"");
    body = body.substr(1, body.size() - 2);
    const bool remove = !body.empty() && body.front() == u'-';
    if (remove) body.remove_prefix(1);
    const std::string path = WideToAnsi(body);
    std::vector<std::string> parts = SplitRegPath(path);
    if (parts.empty() || RootFromName(parts[0]) == 0)
      Fail("key \"" + path + "\" does not begin with a registry root");
    if (remove) {
      registry_.DeleteKey(path);
      key_ = nullptr;
    } else {
      // Only a key line deletes keys, so the key stays valid for the values that follow.
      key_ = &registry_.Create(path);
    }
    key_removed_ = remove;
  }

  void ParseValue(std::u16string_view line) {
    if (!key_ && !key_removed_) Fail("value outside any key");
    std::string name;
    std::size_t at = 0;
    if (line.front() == u'@') {
      at = 1;
    } else {
      std::u16string raw;
      at = ReadQuoted(line, 0, raw);
      name = WideToAnsi(raw);
    }
    while (at < line.size() && IsBlank(line[at])) ++at;
    if (at >= line.size() || line[at] != u'=') Fail("value without \"=\"");
    std::u16string_view data = Trim(line.substr(at + 1));
    if (key_removed_) return;  // values of a deleted key are ignored, as regedit does
    if (data == u"-") return key_->DeleteValue(name);
    if (!data.empty() && data.front() == u'"') {
      std::u16string text;
      const std::size_t end = ReadQuoted(data, 0, text);
      if (!Trim(data.substr(end)).empty()) Fail("text after the closing quote of a string");
      text.push_back(u'\0');
      return key_->SetValue(name, kRegString, WideBytes(text));
    }
    if (StartsWith(data, u"dword:")) return ParseDword(name, data.substr(6));
    if (StartsWith(data, u"hex")) return ParseHex(name, data.substr(3));
    Fail("value \"" + name + "\" has data of no known form");
  }

  static bool StartsWith(std::u16string_view s, std::u16string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
  }

  // Reads a quoted string with the \\ and \" escapes; returns the index after the closing quote.
  std::size_t ReadQuoted(std::u16string_view line, std::size_t start, std::u16string& out) {
    for (std::size_t i = start + 1; i < line.size(); ++i) {
      if (line[i] == u'\\' && i + 1 < line.size()) {
        out.push_back(line[++i]);
      } else if (line[i] == u'"') {
        return i + 1;
      } else {
        out.push_back(line[i]);
      }
    }
    Fail("string without a closing quote");
  }

  static int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
  }

  void ParseDword(const std::string& name, std::u16string_view digits) {
    digits = Trim(digits);
    if (digits.empty() || digits.size() > 8) Fail("dword value \"" + name + "\" needs 1 to 8 hex digits");
    std::uint32_t number = 0;
    for (char16_t c : digits) {
      const int digit = HexDigit(c);
      if (digit < 0) Fail("dword value \"" + name + "\" has a character that is not a hex digit");
      number = number * 16 + static_cast<std::uint32_t>(digit);
    }
    key_->SetValue(name, kRegDword, DwordBytes(number));
  }

  void ParseHex(const std::string& name, std::u16string_view rest) {
    std::uint32_t type = kRegBinary;
    if (!rest.empty() && rest.front() == u'(') {
      const std::size_t close = rest.find(u')');
      if (close == std::u16string_view::npos || close == 1 || close > 9)
        Fail("value \"" + name + "\" has a malformed hex(type)");
      type = 0;
      for (char16_t c : rest.substr(1, close - 1)) {
        const int digit = HexDigit(c);
        if (digit < 0) Fail("value \"" + name + "\" has a malformed hex(type)");
        type = type * 16 + static_cast<std::uint32_t>(digit);
      }
      rest.remove_prefix(close + 1);
    }
    if (rest.empty() || rest.front() != u':') Fail("value \"" + name + "\" lacks the \":\" after hex");
    rest.remove_prefix(1);
    std::vector<std::uint8_t> bytes;
    rest = Trim(rest);
    while (!rest.empty()) {
      std::size_t comma = rest.find(u',');
      std::u16string_view item = Trim(rest.substr(0, comma));
      if (item.empty() && comma == std::u16string_view::npos) break;  // a trailing comma
      if (item.size() != 2 || HexDigit(item[0]) < 0 || HexDigit(item[1]) < 0)
        FailAt(item, "value \"" + name + "\" has a byte that is not two hex digits");
      bytes.push_back(static_cast<std::uint8_t>(HexDigit(item[0]) * 16 + HexDigit(item[1])));
      if (comma == std::u16string_view::npos) break;
      rest = TrimLeft(rest.substr(comma + 1));
    }
    // A REGEDIT4 file holds string types in the ANSI code page; the registry keeps UTF-16.
    const bool string_type = IsStringType(type);
    if (string_type && !unicode_) bytes = WideBytes(AnsiToWide(std::string(bytes.begin(), bytes.end())));
    key_->SetValue(name, type, std::move(bytes));
  }

  const std::string& origin_;
  Registry& registry_;
  bool unicode_ = true;
  bool header_seen_ = false;
  std::size_t physical_line_ = 0;          // lines accepted so far
  std::size_t line_number_ = 1;            // where the line being read begins
  std::u16string line_;                    // that line, continuation lines joined
  bool open_ = false;                      // it ends in a backslash and waits for the next
  std::vector<std::size_t> continued_at_;  // where in it each continuation line begins
  RegKey* key_ = nullptr;                  // the key the values go to
  bool key_removed_ = false;
};

// Splits a file's bytes, as they are read, into lines for the parser: UTF-16LE
// after a byte-order mark, else ANSI (a UTF-8 byte-order mark, as some
// editors write, is skipped). A line ends at LF; a CR before it is dropped.
class LineSplitter {
 public:
  LineSplitter(const std::string& origin, RegFileParser& parser) : origin_(origin), parser_(parser) {}

  // The next piece of the file, `total` bytes long in all.
  void Feed(std::string_view bytes, std::uint64_t total) {
    if (start_) {
      start_ = false;
      if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
          static_cast<unsigned char>(bytes[1]) == 0xFE) {
        if (total % 2 != 0) throw ProfileError(origin_ + ":1: UTF-16 file with an odd number of bytes");
        wide_ = true;
        bytes.remove_prefix(2);
      } else if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
      }
    }
    if (!wide_) {
      for (char16_t c : AnsiToWide(bytes)) Put(c);
      return;
    }
    std::size_t i = 0;
    if (carry_ >= 0 && !bytes.empty()) {
      Put(static_cast<char16_t>(carry_ | (static_cast<unsigned char>(bytes[0]) << 8)));
      carry_ = -1;
      i = 1;
    }
    for (; i + 1 < bytes.size(); i += 2)
      Put(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    if (i < bytes.size()) carry_ = static_cast<unsigned char>(bytes[i]);
  }

  void Finish() {
    if (!current_.empty()) parser_.AcceptLine(current_);
    parser_.Finish();
  }

 private:
  void Put(char16_t c) {
    if (c != u'\n') return current_.push_back(c);
    if (!current_.empty() && current_.back() == u'\r') current_.pop_back();
    parser_.AcceptLine(current_);
    current_.clear();
  }

  const std::string& origin_;
  RegFileParser& parser_;
  bool start_ = true;
  bool wide_ = false;
  int carry_ = -1;  // the first byte of a UTF-16 unit split between pieces
  std::u16string current_;
};

}  // namespace

void ImportRegBytes(std::string_view bytes, const std::string& origin, Registry& registry) {
  RegFileParser parser(origin, registry);
  LineSplitter lines(origin, parser);
  lines.Feed(bytes, bytes.size());
  lines.Finish();
}

void ImportRegFile(const std::string& path, Registry& registry) {
  RegFileParser parser(path, registry);
  LineSplitter lines(path, parser);
  if (!ReadProfileFileInPieces(
          path, [&](std::string_view piece, std::uint64_t total) { lines.Feed(piece, total); }))
    throw ProfileError(path + ": cannot be read");
  lines.Finish();
}

}  // namespace sim
