#pragma once

// The scene-delegate counterpart of the application-delegate swizzler. This platform has no
// scenes, so it proxies nothing; it only reports the same switch. Class methods only, any
// thread.
class ZULSceneDelegateSwizzler {
public:
    ZULSceneDelegateSwizzler() = delete;

    static bool isSceneDelegateProxyEnabled();
    static void proxyOriginalSceneDelegate();
};
