#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "picture.h"

// The picture as one JSON object, the form in which the command line hands
// it to the renderer. Every number reads back as the same binary64 value;
// a value that is not finite is written as null and reads back as NaN.
namespace tsc::picture {

std::string PictureJson(const Picture& picture);

// Why a text is not a picture that can be drawn, for a person.
class PictureRefusal : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads what PictureJson writes. Keys it does not know are passed over;
// missing ones take the defaults of picture.h. Refuses a text that is not
// JSON, a value of the wrong kind, and sizes outside what a picture can
// have (at most 10,000 pixels a side, 100 charts, 1,000 series a chart).
Picture PictureFromJson(std::string_view text);

}  // namespace tsc::picture
