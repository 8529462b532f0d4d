#include <iostream>
#include <string>
#include <vector>

#include "cli.h"
#include "esfile/native.h"

int main(int argc, char** argv) {
    vellum::UseUtf8ByteConsole();
    return vellum::cli::RunCli(vellum::CommandLineWords(argc, argv), std::cout, std::cerr);
}
