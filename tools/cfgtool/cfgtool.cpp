// cfgtool: looks into "Config.cfg", whose lines are encoded so that they are not plain text.
//
//   cfgtool decode FILE   prints the decoded value of every line
//   cfgtool encode        reads value lines on standard input, writes the encoded file to standard output

#include "data/Config.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

int main(int argc, char **argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (argc == 2 && (command == "--help" || command == "-help")) {
        std::puts("usage: cfgtool decode FILE   print the decoded value of every line of FILE\n"
                  "       cfgtool encode        encode the lines of standard input into a Config.cfg on standard output");
        return 0;
    }
    if (argc == 3 && command == "decode") {
        std::ifstream in(argv[2], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "cfgtool: cannot open \"%s\"\n", argv[2]);
            return 1;
        }
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            std::cout << DecodeConfigLine(line) << '\n';
        }
        return 0;
    }
    if (argc == 2 && command == "encode") {
        for (std::string line; std::getline(std::cin, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            std::cout << EncodeConfigLine(line) << "\r\n";
        }
        return std::cout.flush() ? 0 : 1;
    }
    std::fputs("usage: cfgtool decode FILE | cfgtool encode (try --help)\n", stderr);
    return 2;
}
