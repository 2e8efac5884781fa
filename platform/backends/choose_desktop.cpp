// The desktop program: a window unless the command line asked for none.
#include "platform/backends/backends.h"

namespace delve {

std::unique_ptr<Platform> makePlatform(bool headless, GraphicsApi api, std::string& error) {
    return headless ? makeHeadlessPlatform(api) : makeSdlPlatform(error, api);
}

} // namespace delve
