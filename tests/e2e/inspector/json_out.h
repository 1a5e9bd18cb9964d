#pragma once
// A minimal JSON writer for the inspector's answers: objects, arrays,
// numbers, booleans and UTF-8 strings, with commas placed automatically.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace tarnvel_inspect {

inline std::string ToUtf8(const std::wstring& text) {
    if (text.empty())
        return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

class Json {
public:
    Json& BeginObject() { return Open('{'); }
    Json& EndObject() { return Close('}'); }
    Json& BeginArray() { return Open('['); }
    Json& EndArray() { return Close(']'); }

    Json& Key(const char* name) {
        Separate();
        AppendQuoted(name);
        out_ += ':';
        afterKey_ = true;
        return *this;
    }
    Json& Str(const std::string& utf8) {
        Separate();
        AppendQuoted(utf8);
        return *this;
    }
    Json& Str(const std::wstring& text) { return Str(ToUtf8(text)); }
    Json& Num(long long value) {
        Separate();
        out_ += std::to_string(value);
        return *this;
    }
    Json& Bool(bool value) {
        Separate();
        out_ += value ? "true" : "false";
        return *this;
    }
    Json& Null() {
        Separate();
        out_ += "null";
        return *this;
    }
    // A rectangle as [left, top, right, bottom].
    Json& Rect(const RECT& r) {
        BeginArray().Num(r.left).Num(r.top).Num(r.right).Num(r.bottom);
        return EndArray();
    }

    const std::string& Text() const { return out_; }

private:
    Json& Open(char bracket) {
        Separate();
        out_ += bracket;
        firstInScope_.push_back(true);
        return *this;
    }
    Json& Close(char bracket) {
        out_ += bracket;
        firstInScope_.pop_back();
        return *this;
    }
    // Puts the comma before every element but the first of its scope.
    void Separate() {
        if (afterKey_) {
            afterKey_ = false;
            return;
        }
        if (firstInScope_.empty())
            return;
        if (!firstInScope_.back())
            out_ += ',';
        firstInScope_.back() = false;
    }
    void AppendQuoted(const std::string& text) {
        out_ += '"';
        for (unsigned char c : text) {
            if (c == '"' || c == '\\') {
                out_ += '\\';
                out_ += static_cast<char>(c);
            } else if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out_ += escaped;
            } else {
                out_ += static_cast<char>(c);
            }
        }
        out_ += '"';
    }

    std::string out_;
    std::vector<bool> firstInScope_;
    bool afterKey_ = false;
};

}  // namespace tarnvel_inspect
