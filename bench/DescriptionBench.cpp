// Times parse and readFileSets on generated descriptions of growing size (the same number of
// FN elements in each of 100 file sets), to show that loading stays linear.
#include "config/FileList.h"
#include "config/XmlDocument.h"
#include "package/Payload.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
std::string generate(int fileSets, int filesPerSet) {
    std::string text = "<VarnexGroupInstallation><ProductDesc><Fullname>Bench</Fullname>"
                       "</ProductDesc><Installation>\n";
    for (int set = 0; set < fileSets; ++set) {
        text += "<FileSet Name=\"Set" + std::to_string(set) + "\" Desc=\"Files\" Condition=\"[S" +
                std::to_string(set) + "]==1\">\n";
        for (int file = 0; file < filesPerSet; ++file) {
            std::string name = std::to_string(set) + "_" + std::to_string(file);
            text += "  <FN Dest=\"[INSTALLDIR]\\data\\" + std::to_string(set) +
                    "\" Condition=\"[MODE]!=2\">..\\data\\" + std::to_string(set) + "\\file" +
                    name + ".dat</FN>\n";
        }
        text += "</FileSet>\n";
    }
    return text + "</Installation></VarnexGroupInstallation>\n";
}

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}
} // namespace

int main(int argc, char** argv) {
    int repeats = argc > 1 ? std::atoi(argv[1]) : 3;
    std::printf("%10s %12s %12s %12s %12s\n", "FN", "bytes", "parse ms", "fileSets ms", "total ms");
    for (int perSet : {250, 500, 1000, 2000}) {
        std::string text = generate(100, perSet);
        double best = 1e30, bestParse = 0, bestSets = 0;
        for (int r = 0; r < repeats; ++r) {
            XmlDocument document;
            Payload payload;
            FileList files;
            auto start = std::chrono::steady_clock::now();
            document.parse(text.c_str());
            double parse = millisecondsSince(start);
            auto setsStart = std::chrono::steady_clock::now();
            files.read(document, payload, nullptr);
            double sets = millisecondsSince(setsStart);
            if (files.fileCount() != 100 * perSet) {
                std::fprintf(stderr, "expected %i files, read %i\n", 100 * perSet,
                             files.fileCount());
                return 1;
            }
            if (parse + sets < best) {
                best = parse + sets;
                bestParse = parse;
                bestSets = sets;
            }
        }
        std::printf("%10i %12zu %12.1f %12.1f %12.1f\n", 100 * perSet, text.size(), bestParse,
                    bestSets, best);
    }
    return 0;
}
