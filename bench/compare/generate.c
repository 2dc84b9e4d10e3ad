/* Writes a benchmark product: COUNT files of SIZE bytes spread over FOLDERS folders below
 * OUT/app, and their paths relative to OUT/app on standard output, one a line. Every byte
 * follows from SEED and the file's number, so the same arguments give the same product on
 * every machine. The contents mix what products ship: text (documentation, sources, settings;
 * compresses about 3:1), structured binary tables (compresses well) and random bytes (media,
 * already-compressed archives; does not compress). */
#include <errno.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

enum { kBlock = 64 * 1024 };

static uint64_t nextRandom(uint64_t* state) {
    /* splitmix64: fast, and the same sequence everywhere */
    uint64_t z = (*state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

static const char* const kWords[] = {
    "the",     "installer", "file",      "folder",        "value",    "system",  "window",
    "setting", "user",      "program",   "error",         "return",   "version", "product",
    "install", "remove",    "copy",      "path",          "registry", "key",     "string",
    "number",  "table",     "entry",     "record",        "check",    "sum",     "data",
    "begin",   "end",       "if",        "else",          "for",      "while",   "const",
    "static",  "int",       "char",      "void",          "struct",   "class",   "public",
    "private", "include",   "define",    "and",           "or",       "not",     "with",
    "from",    "into",      "when",      "each",          "every",    "read",    "write",
    "open",    "close",     "size",      "name",          "type",     "list",    "index",
    "buffer",  "length",    "count",     "first",         "last",     "next",    "previous",
    "print",   "report",    "progress",  "page",          "dialog",   "option",  "configuration",
    "default", "license",   "agreement", "documentation", "example",  "sample",  "manual",
    "chapter", "section",   "paragraph", "release",       "notes",    "changes", "fixed",
    "added",   "improved"};
enum { kWordCount = sizeof kWords / sizeof kWords[0] };

static void fillText(unsigned char* out, size_t length, uint64_t* state) {
    size_t at = 0, column = 0;
    while (at < length) {
        uint64_t r = nextRandom(state);
        char piece[32];
        int n;
        if (column > 60 + r % 30) {
            n = snprintf(piece, sizeof piece, "\r\n");
            column = 0;
        } else if (r % 17 == 0) {
            n = snprintf(piece, sizeof piece, "%u ", (unsigned)(r >> 40) % 100000u);
        } else {
            n = snprintf(piece, sizeof piece, "%s ", kWords[(r >> 8) % kWordCount]);
        }
        for (int i = 0; i < n && at < length; ++i)
            out[at++] = (unsigned char)piece[i];
        column += (size_t)n;
    }
}

static void fillRandom(unsigned char* out, size_t length, uint64_t* state) {
    for (size_t at = 0; at < length; at += 8) {
        uint64_t r = nextRandom(state);
        size_t n = length - at < 8 ? length - at : 8;
        memcpy(out + at, &r, n);
    }
}

/* Rows of 16 bytes: a running number, a small code, a flag word and a slowly changing value. */
static void fillTable(unsigned char* out, size_t length, uint64_t* state) {
    uint32_t row[4] = {(uint32_t)nextRandom(state) % 1000u, 0, 0, 0};
    for (size_t at = 0; at < length; at += sizeof row) {
        uint64_t r = nextRandom(state);
        row[0] += 1;
        row[1] = (uint32_t)(r % 64);
        row[2] = r % 8 == 0 ? 0x80000000u : 0;
        row[3] += (uint32_t)(r >> 60);
        size_t n = length - at < sizeof row ? length - at : sizeof row;
        memcpy(out + at, row, n);
    }
}

/* 0: text, 1: table, 2: random; about 60 %, 15 %, 25 % of the blocks. */
static int pickKind(uint64_t* state) {
    uint64_t r = nextRandom(state) % 100;
    return r < 60 ? 0 : r < 75 ? 1 : 2;
}

static void fill(unsigned char* out, size_t length, int kind, uint64_t* state) {
    if (kind == 0)
        fillText(out, length, state);
    else if (kind == 1)
        fillTable(out, length, state);
    else
        fillRandom(out, length, state);
}

static int makeFolder(const char* path) {
    if (mkdir(path, 0755) == 0 || errno == EEXIST)
        return 0;
    fprintf(stderr, "generate: cannot make %s: %s\n", path, strerror(errno));
    return -1;
}

static int writeFile(const char* path, uint64_t size, uint64_t seed, uint64_t number,
                     unsigned char* block) {
    FILE* file = fopen(path, "wb");
    if (file == NULL) {
        fprintf(stderr, "generate: cannot write %s: %s\n", path, strerror(errno));
        return -1;
    }
    uint64_t state = seed ^ (number * 0xD1B54A32D192ED03ull);
    /* A small file is one kind throughout, as most files are; a large one mixes kinds by block. */
    int kind = pickKind(&state);
    for (uint64_t done = 0; done < size;) {
        size_t n = size - done < kBlock ? (size_t)(size - done) : kBlock;
        if (size > kBlock)
            kind = pickKind(&state);
        fill(block, n, kind, &state);
        if (fwrite(block, 1, n, file) != n)
            break;
        done += n;
    }
    int failed = ferror(file);
    if (fclose(file) != 0 || failed) {
        fprintf(stderr, "generate: cannot write %s\n", path);
        return -1;
    }
    return 0;
}

int main(int argc, char** argv) {
    if (argc != 6) {
        fprintf(stderr, "usage: generate OUT COUNT SIZE FOLDERS SEED\n");
        return 2;
    }
    const char* out = argv[1];
    uint64_t count = strtoull(argv[2], NULL, 10), size = strtoull(argv[3], NULL, 10);
    uint64_t folders = strtoull(argv[4], NULL, 10), seed = strtoull(argv[5], NULL, 10);
    if (count == 0 || folders == 0 || folders > count || strlen(out) > 3000) {
        fprintf(stderr, "generate: bad arguments\n");
        return 2;
    }
    static unsigned char block[kBlock];
    char path[4096];
    snprintf(path, sizeof path, "%s/app", out);
    if (makeFolder(path) != 0)
        return 1;
    static const char* const kExtensions[] = {"txt", "dat", "bin"};
    uint64_t perFolder = (count + folders - 1) / folders;
    for (uint64_t i = 0; i < count; ++i) {
        char relative[64];
        uint64_t state = seed ^ (i * 0xD1B54A32D192ED03ull);
        const char* extension = kExtensions[pickKind(&state)];
        if (folders > 1) {
            snprintf(relative, sizeof relative, "d%04llu", (unsigned long long)(i / perFolder));
            snprintf(path, sizeof path, "%s/app/%s", out, relative);
            if (i % perFolder == 0 && makeFolder(path) != 0)
                return 1;
            snprintf(relative + strlen(relative), sizeof relative - strlen(relative), "/f%06llu.%s",
                     (unsigned long long)i, extension);
        } else {
            snprintf(relative, sizeof relative, "f%06llu.%s", (unsigned long long)i, extension);
        }
        snprintf(path, sizeof path, "%s/app/%s", out, relative);
        if (writeFile(path, size, seed, i, block) != 0)
            return 1;
        printf("%s\n", relative);
    }
    return fflush(stdout) == 0 ? 0 : 1;
}
