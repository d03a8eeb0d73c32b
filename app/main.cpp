// Program entry of the Homebrew edition.
#include "ui/appshell/QuillaneBrewApp.h"

int main(int argc, char** argv) {
    return qlan::QuillaneBrewApp::main(argc, argv);
}
