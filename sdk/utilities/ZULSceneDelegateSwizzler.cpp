#include "sdk/utilities/ZULSceneDelegateSwizzler.hpp"

#include "sdk/utilities/ZULAppDelegateSwizzler.hpp"

bool ZULSceneDelegateSwizzler::isSceneDelegateProxyEnabled() {
    return ZULAppDelegateSwizzler::isAppDelegateProxyEnabled();
}

void ZULSceneDelegateSwizzler::proxyOriginalSceneDelegate() {}
