#include "framework/catalogue.h"

#include "framework/winapp.h"

#include <vector>

std::string LoadCatalogueText(UINT id) {
    // LoadStringA truncates silently, so grow the buffer until the text fits.
    for (int size = 256; size <= 65536; size *= 4) {
        std::vector<char> buffer(size);
        int n = LoadStringA(AfxGetResourceHandle(), id, buffer.data(), size);
        if (n < size - 1)
            return std::string(buffer.data(), n > 0 ? n : 0);
    }
    return std::string();
}

int LoadCatalogueText(UINT id, char* buffer, int size) {
    if (!buffer || size <= 0)
        return 0;
    buffer[0] = '\0';
    int n = LoadStringA(AfxGetResourceHandle(), id, buffer, size);
    if (n < 0)
        n = 0;
    if (n > size - 1)
        n = size - 1;
    buffer[n] = '\0';
    return n;
}
