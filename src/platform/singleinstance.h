#pragma once

#include <QString>

#include <memory>

namespace tarvo::platform {

// Whether another process of the same program is already running.
class ISingleInstance {
public:
    virtual ~ISingleInstance() = default;
    // Claims the instance for this process; false when another process holds it.
    virtual bool claim() = 0;
};

std::unique_ptr<ISingleInstance> createSingleInstance(const QString& appId);

} // namespace tarvo::platform
