package com.lantor.runtime;

/** Clears the launcher's InstallStarted mark through the native the launcher registered, when it did. */
final class InstallStartedMark {
    private InstallStartedMark() {
    }

    /**
     * Runs the native call; answers whether it ran. Outside the launcher
     * the native is not registered: there is no mark to clear, and the
     * launch goes on.
     */
    static boolean clear(Runnable nativeCall) {
        try {
            nativeCall.run();
            return true;
        } catch (UnsatisfiedLinkError notRegistered) {
            return false;
        }
    }
}
