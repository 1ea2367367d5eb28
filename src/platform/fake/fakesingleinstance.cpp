#include "platform/fake/fakesingleinstance.h"

namespace tarvo::platform {

bool FakeSingleInstance::claim() {
    ++m_claims;
    return !m_heldElsewhere;
}

} // namespace tarvo::platform
