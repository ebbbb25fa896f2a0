#pragma once

#include <QString>
#include <functional>

namespace bkp::platform {

// Whether another program has a top-level window of that class open. This desktop
// offers no such lookup, so the answer is "not found" unless a lookup is set.
bool FindWindow(const QString &windowClass);

using WindowLookup = std::function<bool(const QString &windowClass)>;
void setWindowLookup(WindowLookup lookup); // an empty lookup answers "not found" again

} // namespace bkp::platform
