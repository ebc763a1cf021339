#include "json_writer.h"

#include <cmath>

namespace tsc::analysis {

Json JsonWriter::Number(const std::string& key, double value) {
    if (std::isfinite(value)) return value;
    why_[key] = "the value is not finite";
    return nullptr;
}

Json JsonWriter::Null(const std::string& key, const std::string& why) {
    why_[key] = why;
    return nullptr;
}

Json JsonWriter::Value(const std::string& key, const Estimate& e, double scale) {
    Json v;
    v["value"] = Number(key, e.value * scale);
    if (e.derived) return v;
    if (!e.fitted) {
        v["stderr"] = 0;
        v["fixed"] = true;
        return v;
    }
    if (std::isfinite(e.stderr_)) {
        v["stderr"] = e.stderr_ * scale;
    } else {
        v["stderr"] = Null(key + ".stderr", e.atBound ? "the value ended on its bound"
                                                      : "the data do not determine it");
    }
    if (e.undetermined) v["undetermined"] = true;
    if (e.atBound) v["at_bound"] = true;
    return v;
}

void JsonWriter::Finish(Json& object) {
    if (!why_.empty()) object["why"] = why_;
}

Json BackgroundJson(JsonWriter& w, const std::string& at, const FittedBackground& b) {
    Json object = Json::object();
    if (b.constant.fitted) object["constant"] = w.Value(at + "constant", b.constant);
    if (b.slope.fitted) object["slope"] = w.Value(at + "slope", b.slope);
    if (b.amplitude.fitted) object["amplitude"] = w.Value(at + "amplitude", b.amplitude);
    if (b.scale.fitted) object["scale_K"] = w.Value(at + "scale_K", b.scale);
    return object;
}

std::string JsonLine(const Json& object) {
    return object.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace tsc::analysis
