#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Builds one JSON object. A value that cannot be given is written as null,
// and the object then carries a "why" object naming the reason for each.
class JsonObject {
  public:
    JsonObject& Add(std::string_view key, std::string json);
    JsonObject& AddNumber(std::string_view key, double value);
    JsonObject& AddString(std::string_view key, std::string_view text);
    JsonObject& AddNull(std::string_view key, std::string_view why);
    std::string Text() const;

  private:
    std::vector<std::pair<std::string, std::string>> members_;
    std::vector<std::pair<std::string, std::string>> why_;
};

std::string JsonString(std::string_view text);
// The shortest text that reads back as the same double; null if not finite.
std::string JsonNumber(double value);
