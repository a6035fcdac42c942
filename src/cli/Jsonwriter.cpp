#include "Jsonwriter.h"

#include <charconv>
#include <cmath>
#include <ostream>

namespace {

// Length of the valid UTF-8 sequence at text[i], or 0 when it is not one.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length;
    std::uint32_t code;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, code = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, code = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, code = lead & 0x07;
    else
        return 0;
    if (i + length > text.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return overlong || surrogate || code > 0x10FFFF ? 0 : length;
}

void AppendEscape(std::string& out, unsigned code) {
    static const char hex[] = "0123456789abcdef";
    out += "\\u00";
    out += hex[(code >> 4) & 0xF];
    out += hex[code & 0xF];
}

}  // namespace

std::string TJsonWriter::Quote(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            AppendEscape(out, c);
        } else if (c >= 0x80) {
            const std::size_t length = Utf8Length(text, i);
            if (length == 0) {
                AppendEscape(out, c);
            } else {
                out.append(text.substr(i, length));
                i += length;
                continue;
            }
        } else {
            out += static_cast<char>(c);
        }
        ++i;
    }
    out += '"';
    return out;
}

std::string TJsonWriter::FormatDouble(double value) {
    if (!std::isfinite(value))
        return "null";
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

void TJsonWriter::Raw(std::string_view text) { FOut << text; }

void TJsonWriter::BeforeValue() {
    if (FAfterKey) {
        FAfterKey = false;
        return;
    }
    if (FStack.empty())
        return;
    TFrame& frame = FStack.back();
    if (frame.Count++ > 0)
        Raw(",");
    if (frame.Compact)
        Raw(frame.Count > 1 ? " " : "");
    else
        Raw("\n" + std::string(2 * FStack.size(), ' '));
}

TJsonWriter& TJsonWriter::Key(std::string_view key) {
    BeforeValue();
    Raw(Quote(key));
    Raw(": ");
    FAfterKey = true;
    return *this;
}

void TJsonWriter::Open(char bracket, bool object, bool compact) {
    BeforeValue();
    const bool inCompact = !FStack.empty() && FStack.back().Compact;
    FOut << bracket;
    FStack.push_back({object, compact || inCompact, 0});
}

void TJsonWriter::Close(char bracket) {
    const TFrame frame = FStack.back();
    FStack.pop_back();
    if (!frame.Compact && frame.Count > 0)
        Raw("\n" + std::string(2 * FStack.size(), ' '));
    FOut << bracket;
}

void TJsonWriter::BeginObject(bool compact) { Open('{', true, compact); }
void TJsonWriter::EndObject() { Close('}'); }
void TJsonWriter::BeginArray(bool compact) { Open('[', false, compact); }
void TJsonWriter::EndArray() { Close(']'); }

void TJsonWriter::String(std::string_view text) {
    BeforeValue();
    Raw(Quote(text));
}

void TJsonWriter::Int(std::int64_t value) {
    BeforeValue();
    FOut << value;
}

void TJsonWriter::Double(double value) {
    BeforeValue();
    Raw(FormatDouble(value));
}

void TJsonWriter::Bool(bool value) {
    BeforeValue();
    Raw(value ? "true" : "false");
}

void TJsonWriter::Null() {
    BeforeValue();
    Raw("null");
}

void TJsonWriter::Finish() { Raw("\n"); }
