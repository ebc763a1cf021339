// tsccurve-plot OUT.png: draws the picture described on standard input (the
// JSON of picture_json.h) into a PNG file. tsccurve runs it for --plot and
// passes on what it says. Exit status: 0 written, 1 not written, 2 a
// description or command line that cannot be used.
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>

#include "offscreen_application.h"
#include "picture_json.h"
#include "picture_renderer.h"

int main(int argc, char** argv) {
    if (argc != 2 || std::string(argv[1]).empty()) {
        std::fputs("Usage: tsccurve-plot OUT.png < PICTURE.json\n", stderr);
        return 2;
    }
    const std::string path = argv[1];
    const std::string text{std::istreambuf_iterator<char>(std::cin), {}};
    tsc::picture::Picture picture;
    try {
        picture = tsc::picture::PictureFromJson(text);
    } catch (const tsc::picture::PictureRefusal& refusal) {
        std::fprintf(stderr, "tsccurve-plot: %s\n", refusal.what());
        return 2;
    }
    const OffscreenApplication application;
    if (!RenderPicture(picture).save(QString::fromStdString(path), "PNG")) {
        std::fprintf(stderr, "tsccurve-plot: %s: the picture cannot be written there\n",
                     path.c_str());
        return 1;
    }
    return 0;
}
