#include "tests/ui/MemoryCanvas.h"

#include <cstdio>
#include <vector>

bool MemoryCanvas::SaveBmp(const char* path) const {
    const int stride = (w * 3 + 3) & ~3;
    const DWORD imageSize = static_cast<DWORD>(stride * h);
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + imageSize;
    info.biSize = sizeof(info);
    info.biWidth = w;
    info.biHeight = h;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = imageSize;
    std::vector<unsigned char> rows(imageSize, 0);
    for (int y = 0; y < h; ++y) {
        unsigned char* row = &rows[static_cast<size_t>((h - 1 - y) * stride)];
        for (int x = 0; x < w; ++x) {
            const COLORREF c = At(x, y);
            row[x * 3] = GetBValue(c);
            row[x * 3 + 1] = GetGValue(c);
            row[x * 3 + 2] = GetRValue(c);
        }
    }
    FILE* out = std::fopen(path, "wb");
    if (out == nullptr) {
        return false;
    }
    bool ok = std::fwrite(&file, sizeof(file), 1, out) == 1;
    ok = ok && std::fwrite(&info, sizeof(info), 1, out) == 1;
    ok = ok && std::fwrite(rows.data(), 1, rows.size(), out) == rows.size();
    return std::fclose(out) == 0 && ok;
}
