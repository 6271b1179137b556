// The opening book's lines, its build and its lookup.
#include "ai/opening_book.h"

#include <cstring>

#include "game/random.h"

OpeningBook gOpeningBook;

const char* const kBookStrings[] = {
    "f5d6c3d3c4",
    "f5d6c4d3c3",
    "f5d6c3d3c4f4f6g5e6c5f3",
    "f5d6c3d3c4f4f6g5e6d7c7",
    "f5d6c3d3c4f4f6g5e6d7e3c5f3e7h5",
    "f5d6c3d3c4f4f6g5e6d7f7c5b6",
    "f5d6c3d3c4f4e6f6e3c5c6b6c7d8",
    "f5d6c3d3c4f4f6f3e6e7f7",
    "f5f6e6d6c5",
    "f5f6e6d6c3",
    "f5f6e6d6c3f4c6d3e3d2",
    "f5f6e6d6c5e3d3g5e2b5",
    "f5f6e6d6c5e3d3g5f3b5",
    "f5f6e6d6c5e3d3g5d7",
    "f5f6e6d6c5e3d3g5d7c7g4d8g6",
    "f5f6e6d6c5e3d3c4c6b5",
    "f5f6e6d6c7f4",
    "f5f6e6d6c5e3e7",
    "f5d6c5f4e3",
    "f5d6c5f4e3c6d3f6e6d7",
    "f5d6c5f4e3c6d3f6e6d7g4",
    "f5d6c5f4e3c6d3f6e6d7g4c4g6",
    "f5d6c5f4e3c6d3f6e6d7g3c4b4",
    "f5d6c5f4e3c6d3f6e6d7e7c7c4f8b6",
    "f5f6e6d6e7",
    "f5f6e6d6e7g5c5",
    "f5f6e6d6e7g5g6e3c6",
    "f5f6e6d6e7f4",
    "f5f6e6d6f7",
    "f5d6c4g5c6",
    "f5d6c3g5c6",
    "f5d6c5f4d3",
    "f5d6c5f4e3d3",
    "f5f4e3f6d3",
    "f5d6c4d3e6",
    "f5d6c4d3c5",
    "f5d6c4d3c5f4d2f6d7",
    nullptr,
};

void BuildOpeningBookFrom(const char* const* strings) {
    std::memset(&gOpeningBook, 0, sizeof gOpeningBook);
    int n = 0;
    for (; *strings && n < kBookMaxStrings; ++strings) {
        const size_t length = std::strlen(*strings);
        if (length % 2 != 0) continue;
        const size_t moves = length / 2 < kBookLineMoves ? length / 2 : kBookLineMoves;
        for (size_t k = 0; k < moves; ++k) {
            gOpeningBook.lines[n][k] = {(*strings)[2 * k] - 'a', (*strings)[2 * k + 1] - '1'};
        }
        ++n;
    }
    for (int j = 0; j < n; ++j) {
        for (int l = 0; l < kBookLineMoves; ++l) {
            const SquarePos m = gOpeningBook.lines[j][l];
            if (m.x == 0 && m.y == 0) continue;
            gOpeningBook.lines[n + j][l] = {m.y, m.x};
            gOpeningBook.lines[2 * n + j][l] = {7 - m.y, 7 - m.x};
            gOpeningBook.lines[3 * n + j][l] = {7 - m.x, 7 - m.y};
        }
    }
}

void BuildOpeningBook() {
    BuildOpeningBookFrom(kBookStrings);
}

int LookupBookMove(const SquarePos* history, int32_t count, SquarePos* out) {
    // A line holds 16 moves, so a history of 15 or more has no continuation in it.
    if (count <= 0 || count >= 15) return 0;
    int order[kBookLines];
    for (int i = 0; i < kBookLines; ++i)
        order[i] = i;
    for (int swap = 0; swap < 1000; ++swap) {
        const int a = DrawRandom() % kBookLines;
        const int b = DrawRandom() % kBookLines;
        const int kept = order[a];
        order[a] = order[b];
        order[b] = kept;
    }
    for (const int line : order) {
        const SquarePos* entries = gOpeningBook.lines[line];
        bool matches = true;
        for (int j = 0; j < count && matches; ++j)
            matches = entries[j] == history[j];
        if (!matches) continue;
        // (0, 0) is the only entry that means "no move here": a1 itself never continues a
        // line, while every other square of column a and row 1 can.
        const SquarePos next = entries[count];
        if (next.x != 0 || next.y != 0) {
            *out = next;
            return 1;
        }
    }
    return 0;
}
