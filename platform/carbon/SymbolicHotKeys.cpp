#include "platform/carbon/SymbolicHotKeys.hpp"

#include "platform/foundation/UserDefaults.hpp"

namespace carbon {

OSStatus CopySymbolicHotKeys(std::shared_ptr<foundation::Array>* outHotKeyArray) {
    if (!outHotKeyArray) return paramErr;
    auto list = foundation::UserDefaults::standardUserDefaults()->arrayForKey(kSymbolicHotKeysSetting);
    *outHotKeyArray = list ? list : foundation::Array::make();
    return noErr;
}

}  // namespace carbon
