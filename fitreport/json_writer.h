#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "spectrum_fit.h"

// What the fit's JSON objects share: numbers that are null with a reason
// where they are not finite, fitted values as {"value", "stderr"}, the
// background's terms, and the text form.
namespace tsc::analysis {

using Json = nlohmann::ordered_json;

// Writes numbers, and keeps the reasons for those that are not, under the
// key each was written at.
class JsonWriter {
  public:
    Json Number(const std::string& key, double value);
    Json Null(const std::string& key, const std::string& why);
    // {"value", "stderr"} in units of `scale`, with "fixed", "undetermined"
    // and "at_bound" where they hold; a derived value has no stderr.
    Json Value(const std::string& key, const Estimate& e, double scale = 1);
    // The reasons, as the object's "why", where there are any.
    void Finish(Json& object);

  private:
    Json why_ = Json::object();
};

// The background's fitted terms, their keys below `at` ("background.").
Json BackgroundJson(JsonWriter& w, const std::string& at, const FittedBackground& b);

// One line. Text that is not UTF-8 (a file's name may be any bytes) is
// replaced, never a reason to fail.
std::string JsonLine(const Json& object);

}  // namespace tsc::analysis
