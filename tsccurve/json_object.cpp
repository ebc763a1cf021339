#include "json_object.h"

#include <cmath>

JsonObject& JsonObject::Add(std::string_view key, Json value) {
    members_[std::string(key)] = std::move(value);
    return *this;
}

JsonObject& JsonObject::AddNumber(std::string_view key, double value) {
    if (!std::isfinite(value)) return AddNull(key, "the value is not finite");
    return Add(key, value);
}

JsonObject& JsonObject::AddNull(std::string_view key, std::string_view why) {
    why_[std::string(key)] = std::string(why);
    return Add(key, nullptr);
}

Json JsonObject::Done() const {
    if (why_.empty()) return members_;
    Json object = members_;
    object["why"] = why_;
    return object;
}

std::string JsonText(const Json& json) {
    return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}
