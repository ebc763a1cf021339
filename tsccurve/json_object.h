#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

// The reports' JSON: keys in the order they are added, numbers in the
// shortest form that reads back as the same binary64 value.
using Json = nlohmann::ordered_json;

// A JSON object in which a value that cannot be given is null, and the
// object then ends with a "why" object naming the reason for each.
class JsonObject {
  public:
    JsonObject& Add(std::string_view key, Json value);
    // Null, for the reason that it is not finite, where it is not.
    JsonObject& AddNumber(std::string_view key, double value);
    JsonObject& AddNull(std::string_view key, std::string_view why);
    Json Done() const;

  private:
    Json members_ = Json::object();
    Json why_ = Json::object();
};

// One line, without a line end. Text that is not UTF-8 (a file name may be
// any bytes) has its bad bytes replaced by U+FFFD rather than refused.
std::string JsonText(const Json& json);
