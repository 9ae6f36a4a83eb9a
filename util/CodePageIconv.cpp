#include <iconv.h>

#include "util/CodePageConverter.h"

namespace pernard {

void* OpenConverter(const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    return cd == reinterpret_cast<iconv_t>(-1) ? nullptr : cd;
}

void CloseConverter(void* handle) { iconv_close(static_cast<iconv_t>(handle)); }

std::size_t RunConverter(void* handle, char** in, std::size_t* inLeft, char** out,
                         std::size_t* outLeft) {
    return iconv(static_cast<iconv_t>(handle), in, inLeft, out, outLeft);
}

}  // namespace pernard
