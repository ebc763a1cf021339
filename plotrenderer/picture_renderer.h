#pragma once

#include <QImage>

#include "picture.h"

// Draws a picture with Qt Charts, each chart in a view of its share of the
// picture, and each chart's caption boxed in its plot area's upper right
// corner. Needs an application object (OffscreenApplication on the command
// line), but no display.
QImage RenderPicture(const tsc::picture::Picture& picture);
