#include "platform/web/web_platform.h"

#include "platform/web/page_bridge.h"

namespace talvessa {

WebPlatform::WebPlatform()
    : audio_(page::HasSound() ? static_cast<Audio&>(sound_) : static_cast<Audio&>(silence_)),
      input_(audio_) {}

Platform WebPlatform::Services() { return Platform{clock_, input_, screen_, audio_, "."}; }

void WebPlatform::Ended(int status, bool replay) { page::Ended(status, replay); }

}  // namespace talvessa
