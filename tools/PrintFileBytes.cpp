#include "PrintFileBytes.h"

#ifdef _WIN32
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <iostream>
#endif

namespace ruva::tool {

void PrintFileBytes(std::ostream& out, std::string_view bytes) {
#ifdef _WIN32
    if (&out == &std::cout) {
        // What was written before goes out in the mode it was written in.
        out.flush();
        std::fflush(stdout);
        const int mode = _setmode(_fileno(stdout), _O_BINARY);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (mode != -1)
            _setmode(_fileno(stdout), mode);
        return;
    }
#endif
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace ruva::tool
