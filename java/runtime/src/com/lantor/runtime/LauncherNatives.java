package com.lantor.runtime;

/**
 * The methods the launcher implements in its own process. It registers
 * them (JNI RegisterNatives) right after creating the virtual machine,
 * when this class is on the class path; outside the launcher they are not
 * registered and a call raises UnsatisfiedLinkError. This class has no
 * static initialiser: the launcher's FindClass initialises it.
 */
final class LauncherNatives {
    private LauncherNatives() {
    }

    /**
     * Sets the launcher's InstallStarted mark (HKCU\SOFTWARE\orlinde\lantor,
     * value InstallStarted) to 0: the Java side runs, so the next start
     * need not ask about an unfinished run, and the launcher's watch for
     * the Java side's window no longer ends the process after its timeout.
     */
    static native void clearInstallStarted();
}
