#pragma once
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

// A streaming JSON writer for the --json forms of kzdctl: keys are written in
// the order the caller gives them, numbers in the shortest form that reads
// back exactly, containers indented by two spaces, and containers opened with
// compact = true on one line. Strings are UTF-8; a byte that is not part of
// valid UTF-8 is written as the character of the same code (\u00XX), so the
// output is always valid JSON. Non-finite doubles are written as null.
class TJsonWriter {
public:
    explicit TJsonWriter(std::ostream& out) : FOut(out) {}

    void BeginObject(bool compact = false);
    void EndObject();
    void BeginArray(bool compact = false);
    void EndArray();
    // The key of the next value inside an object.
    TJsonWriter& Key(std::string_view key);

    void String(std::string_view text);
    void Int(std::int64_t value);
    void Double(double value);
    void Bool(bool value);
    void Null();

    // Ends the document with a newline.
    void Finish();

    static std::string Quote(std::string_view text);
    static std::string FormatDouble(double value);

private:
    struct TFrame {
        bool Object;
        bool Compact;
        int Count;
    };

    void BeforeValue();
    void Open(char bracket, bool object, bool compact);
    void Close(char bracket);
    void Raw(std::string_view text);

    std::ostream& FOut;
    std::vector<TFrame> FStack;
    bool FAfterKey = false;
};
