#include "json_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

JsonObject& JsonObject::Add(std::string_view key, std::string json) {
    members_.emplace_back(key, std::move(json));
    return *this;
}

JsonObject& JsonObject::AddNumber(std::string_view key, double value) {
    if (!std::isfinite(value)) return AddNull(key, "the value is not finite");
    return Add(key, JsonNumber(value));
}

JsonObject& JsonObject::AddString(std::string_view key, std::string_view text) {
    return Add(key, JsonString(text));
}

JsonObject& JsonObject::AddNull(std::string_view key, std::string_view why) {
    why_.emplace_back(key, JsonString(why));
    return Add(key, "null");
}

std::string JsonObject::Text() const {
    const auto join = [](const std::vector<std::pair<std::string, std::string>>& members) {
        std::string text = "{";
        for (const auto& [key, json] : members) {
            if (text.size() > 1) text += ", ";
            text += JsonString(key) + ": " + json;
        }
        return text + "}";
    };
    if (why_.empty()) return join(members_);
    auto withWhy = members_;
    withWhy.emplace_back("why", join(why_));
    return join(withWhy);
}

std::string JsonString(std::string_view text) {
    std::string json = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            json += escaped;
        } else {
            json += c;
        }
    }
    return json + "\"";
}

std::string JsonNumber(double value) {
    if (!std::isfinite(value)) return "null";
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return error == std::errc{} ? std::string(text, end) : "null";
}
