// uires: draws the toolkit's own pictures. Usage: uires DIR writes DIR/<name>.png for every
// picture (creating DIR); uires --list prints the names; uires --screens ROOT writes the
// screens' pictures to ROOT/<folder>/<name>.png. Exit status 0 when everything was written,
// 1 on a write failure, 2 on bad arguments.

#include "Pictures.h"
#include "PngFile.h"
#include "ScreenPictures.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

int writeScreenPictures(const std::string& root) {
    int result = 0;
    for (const uires::Picture& picture : uires::screenPictures()) {
        std::string path = root + "/" + picture.name + ".png";
        std::error_code error;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
        if (error || !uires::writePng(picture.draw(), path)) {
            fprintf(stderr, "uires: cannot write %s\n", path.c_str());
            result = 1;
        }
    }
    return result;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--screens" && argv[2][0])
        return writeScreenPictures(argv[2]);
    if (argc != 2 || !argv[1][0]) {
        fprintf(stderr, "usage: uires DIR | uires --list\n");
        return 2;
    }
    const std::string arg = argv[1];
    if (arg == "--list") {
        for (const uires::Picture& picture : uires::pictures())
            printf("%s.png\n", picture.name.c_str());
        return 0;
    }
    std::error_code error;
    std::filesystem::create_directories(arg, error);
    if (error) {
        fprintf(stderr, "uires: cannot create %s: %s\n", arg.c_str(), error.message().c_str());
        return 1;
    }
    int result = 0;
    for (const uires::Picture& picture : uires::pictures()) {
        const std::string file = arg + "/" + picture.name + ".png";
        std::filesystem::create_directories(std::filesystem::path(file).parent_path(), error);
        if (!uires::writePng(picture.draw(), file))
            result = 1;
    }
    return result;
}
