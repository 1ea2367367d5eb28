#pragma once

#include "platform/singleinstance.h"

namespace tarvo::platform {

// Answers claims as the test says: free by default, or held by another copy.
class FakeSingleInstance final : public ISingleInstance {
public:
    explicit FakeSingleInstance(bool heldElsewhere = false)
        : m_heldElsewhere(heldElsewhere) {}

    bool claim() override;

    void setHeldElsewhere(bool held) { m_heldElsewhere = held; }
    int claims() const { return m_claims; }

private:
    bool m_heldElsewhere;
    int m_claims = 0;
};

} // namespace tarvo::platform
