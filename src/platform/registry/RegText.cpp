// The REGEDIT5 text form of a registry file: parse (tolerant of what regedit on
// Windows and Wine write) and serialise (UTF-8, LF).
#include <cctype>
#include <cstdio>

#include "platform/registry/RegFile.h"

namespace registry::detail {
namespace {

constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::size_t kWrapColumn = 77;

// ---- text decoding --------------------------------------------------------

void AppendUtf8(std::uint32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// UTF-16 to UTF-8. An odd byte count fails; a lone surrogate fails when strict,
// else becomes U+FFFD.
bool DecodeUtf16(std::string_view bytes, bool bigEndian, bool strict, std::string& out) {
    if (bytes.size() % 2 != 0) return false;
    auto unit = [&](std::size_t i) -> std::uint32_t {
        const auto b0 = static_cast<unsigned char>(bytes[i]);
        const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0);
    };
    out.reserve(out.size() + bytes.size());
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        std::uint32_t cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 2 < bytes.size()) {
            const std::uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            if (strict) return false;
            cp = 0xFFFD;
        }
        AppendUtf8(cp, out);
    }
    return true;
}

// ---- small lexing helpers ---------------------------------------------------

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::string_view Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

bool StartsNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && EqualNoCase(s.substr(0, prefix.size()), prefix);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// 1 to maxDigits hex digits, nothing else.
bool ParseHexNumber(std::string_view s, std::size_t maxDigits, std::uint32_t& out) {
    if (s.empty() || s.size() > maxDigits) return false;
    out = 0;
    for (char c : s) {
        const int d = HexDigit(c);
        if (d < 0) return false;
        out = out << 4 | static_cast<std::uint32_t>(d);
    }
    return true;
}

// "01,ab, 2 ,ff," -> bytes; blanks around bytes and one trailing comma tolerated.
bool ParseHexBytes(std::string_view s, std::vector<std::uint8_t>& out) {
    s = Trim(s);
    if (s.empty()) return true;
    if (s.back() == ',') s.remove_suffix(1);
    while (true) {
        const std::size_t comma = s.find(',');
        std::uint32_t byte = 0;
        if (!ParseHexNumber(Trim(s.substr(0, comma)), 2, byte)) return false;
        out.push_back(static_cast<std::uint8_t>(byte));
        if (comma == std::string_view::npos) return true;
        s.remove_prefix(comma + 1);
    }
}

// A quoted string starting at s[0] == '"'. On success `rest` is what follows the
// closing quote. Escapes: \\ \" and Wine's \n \r, plus \0; any other backslash is
// kept as written.
bool ParseQuoted(std::string_view s, std::string& out, std::string_view& rest) {
    for (std::size_t i = 1; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"') {
            rest = s.substr(i + 1);
            return true;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i == s.size()) return false;
        switch (s[i]) {
            case '\\':
            case '"':
                out += s[i];
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case '0':
                out += '\0';
                break;
            default:
                out += '\\';
                out += s[i];
                break;
        }
    }
    return false;
}

void AppendQuoted(std::string_view s, std::string& out) {
    out += '"';
    for (char c : s) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\0':
                out += "\\0";
                break;
            default:
                out += c;
                break;
        }
    }
    out += '"';
}

// ---- the parser ---------------------------------------------------------------

class Parser {
public:
    explicit Parser(std::string_view text) {
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string_view::npos) end = text.size();
            std::string_view line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            lines_.push_back(line);
            start = end + 1;
        }
    }

    ParseResult Run() {
        std::size_t i = 0;
        while (i < lines_.size() && Trim(lines_[i]).empty()) ++i;
        if (i == lines_.size()) return std::move(result_);  // blank file: empty, fine
        const auto header = Trim(lines_[i]);
        if (header != kHeader5 && header != kHeader4) {
            Damaged(i, "missing the \"" + std::string(kHeader5) + "\" header");
            return std::move(result_);
        }
        for (++i; i < lines_.size() && !result_.damaged; ++i) Line(i);
        return std::move(result_);
    }

private:
    void Damaged(std::size_t line, std::string why) {
        result_.damaged = true;
        result_.reason = "line " + std::to_string(line + 1) + ": " + std::move(why);
        result_.document = Document{};
        current_ = nullptr;
    }

    // Joins lines continued by a trailing backslash (long hex data).
    std::string Continued(std::size_t& i, std::string_view first) {
        std::string data(TrimRight(first));
        while (!data.empty() && data.back() == '\\' && i + 1 < lines_.size()) {
            data.pop_back();
            data += Trim(lines_[++i]);
        }
        if (!data.empty() && data.back() == '\\') data.pop_back();  // continued past the end
        return data;
    }

    void Line(std::size_t& i) {
        const std::string_view line = TrimLeft(lines_[i]);
        if (TrimRight(line).empty() || line.front() == ';') return;
        if (line.front() == '[') return KeyLine(i, TrimRight(line));
        if (line.front() == '"' || line.front() == '@') return ValueLine(i, line);
        Damaged(i, "not a key, a value or a comment");
    }

    void KeyLine(std::size_t i, std::string_view line) {
        if (line.back() != ']') return Damaged(i, "key line without ']'");
        // Taken as written: blanks belong to the key names ("Font " is not "Font"),
        // and Serialize writes the names back as they are.
        std::string_view inner = line.substr(1, line.size() - 2);
        const bool remove = !inner.empty() && inner.front() == '-';
        if (remove) inner.remove_prefix(1);
        const std::string path = Document::Normalize(inner);
        if (path.empty()) return Damaged(i, "empty key name");
        if (remove) {
            result_.document.Erase(path);
            current_ = nullptr;
        } else {
            current_ = &result_.document.Create(path);
        }
    }

    void ValueLine(std::size_t& i, std::string_view line) {
        const std::size_t first = i;
        std::string name;
        std::string_view rest;
        if (line.front() == '@') {
            rest = line.substr(1);
        } else if (!ParseQuoted(line, name, rest)) {
            return Damaged(i, "value name without its closing quote");
        }
        rest = TrimLeft(rest);
        if (rest.empty() || rest.front() != '=') return Damaged(i, "value without '='");
        const std::string_view data = TrimLeft(rest.substr(1));

        if (TrimRight(data) == "-") {  // deleted value
            if (current_) current_->Erase(name);
            return;
        }
        if (!data.empty() && data.front() == '"') {
            std::string text;
            std::string_view after;
            if (!ParseQuoted(data, text, after) || !Trim(after).empty())
                return Damaged(i, "malformed string value");
            return Put(name, Value::String(std::move(text)));
        }
        if (StartsNoCase(data, "dword:")) {
            std::uint32_t number = 0;
            if (!ParseHexNumber(Trim(data.substr(6)), 8, number))
                return Damaged(i, "malformed dword value");
            return Put(name, Value::Dword(number));
        }
        if (StartsNoCase(data, "hex:") || StartsNoCase(data, "hex(")) {
            std::uint32_t type = kRegBinary;
            std::string_view bytesText = data.substr(4);
            if (data[3] == '(') {
                const std::size_t close = data.find(')');
                if (close == std::string_view::npos || close + 1 >= data.size() ||
                    data[close + 1] != ':' || !ParseHexNumber(data.substr(4, close - 4), 8, type))
                    return Damaged(i, "malformed hex(type) value");
                bytesText = data.substr(close + 2);
            }
            const std::string joined = Continued(i, bytesText);
            std::vector<std::uint8_t> bytes;
            if (!ParseHexBytes(joined, bytes)) return Damaged(first, "invalid hex data");
            return Put(name, FromFile(type, std::move(bytes)));
        }
        // Another well-formed "type:data" (e.g. Wine's "str(2):"): skipped, not damage.
        std::size_t k = 0;
        while (k < data.size() && (std::isalnum(static_cast<unsigned char>(data[k])) ||
                                   data[k] == '_' || data[k] == '(' || data[k] == ')'))
            ++k;
        if (k > 0 && k < data.size() && data[k] == ':') {
            Continued(i, data);
            return;
        }
        Damaged(i, "unknown value data");
    }

    // hex(N) data as a file holds it: REG_SZ is UTF-16LE with a terminating zero.
    static Value FromFile(std::uint32_t type, std::vector<std::uint8_t> bytes) {
        if (type == kRegSz) {
            std::string text;
            const std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
            if (DecodeUtf16(raw, false, true, text)) {
                if (!text.empty() && text.back() == '\0') text.pop_back();
                return Value::String(std::move(text));
            }
            return Value::Other(type, std::move(bytes));
        }
        if (type == kRegDword && bytes.size() == 4) return Value::FromData(type, std::move(bytes));
        if (type == kRegBinary) return Value::Binary(std::move(bytes));
        return Value::Other(type, std::move(bytes));
    }

    void Put(const std::string& name, Value value) {
        if (current_) current_->Set(name, value);  // values outside any key are ignored
    }

    std::vector<std::string_view> lines_;
    ParseResult result_;
    KeyData* current_ = nullptr;
};

void AppendHex(std::string_view prefix, const std::vector<std::uint8_t>& bytes, std::string& out) {
    std::string line(prefix);
    char digits[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(digits, sizeof digits, "%02x", bytes[i]);
        std::string item = digits;
        if (i + 1 < bytes.size()) item += ',';
        if (i > 0 && line.size() + item.size() > kWrapColumn) {
            out += line;
            out += "\\\n";
            line = "  ";
        }
        line += item;
    }
    out += line;
}

}  // namespace

ParseResult Parse(std::string_view bytes) {
    std::string decoded;
    std::string_view text = bytes;
    auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const bool le = bytes.size() >= 2 && at(0) == 0xFF && at(1) == 0xFE;
    const bool be = bytes.size() >= 2 && at(0) == 0xFE && at(1) == 0xFF;
    const bool leNoBom = !le && !be && bytes.size() >= 2 && at(0) != 0 && at(1) == 0;
    if (le || be || leNoBom) {
        if (!DecodeUtf16(bytes.substr(leNoBom ? 0 : 2), be, false, decoded)) {
            ParseResult damaged;
            damaged.damaged = true;
            damaged.reason = "UTF-16 text of odd length";
            return damaged;
        }
        text = decoded;
    } else if (bytes.size() >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) {
        text.remove_prefix(3);
    }
    return Parser(text).Run();
}

std::string Serialize(const Document& document) {
    std::string out(kHeader5);
    out += "\n\n";
    char number[16];
    for (const auto& [path, key] : document.Keys()) {
        out += '[';
        out += path;
        out += "]\n";
        for (const auto& [name, value] : key.values) {
            std::string prefix;
            if (name.empty())
                prefix = "@";
            else
                AppendQuoted(name, prefix);
            prefix += '=';
            switch (value.type) {
                case ValueType::Dword:
                    std::snprintf(number, sizeof number, "dword:%08x", value.dword);
                    out += prefix;
                    out += number;
                    break;
                case ValueType::String:
                    out += prefix;
                    AppendQuoted(value.text, out);
                    break;
                case ValueType::Binary:
                    AppendHex(prefix + "hex:", value.bytes, out);
                    break;
                case ValueType::Other:
                    std::snprintf(number, sizeof number, "hex(%x):", value.otherType);
                    AppendHex(prefix + number, value.bytes, out);
                    break;
            }
            out += '\n';
        }
        out += '\n';
    }
    return out;
}

}  // namespace registry::detail
