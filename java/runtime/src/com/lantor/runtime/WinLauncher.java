package com.lantor.runtime;

import java.util.Arrays;
import java.util.Properties;

/**
 * The class the launcher calls once it has created the virtual machine.
 * Its argument array holds the five launcher arguments (see
 * {@link LauncherArguments}), the program path as typed, then the
 * application's arguments: the configured ones, then the user's.
 *
 * <p>It starts the application main class named by launcher argument 1:
 * that class's public static void main(String[]) receives the arguments
 * after the program path, exactly as they arrived. The program path is
 * not passed on; {@link Launch#programPath()} gives it.
 *
 * <p>When main returns, so does this method: the launcher then waits for
 * the last non-daemon thread and ends the launch normally. Whatever main
 * throws leaves this method unchanged, so that the launcher reports it.
 * When the application cannot be started, a message starting with
 * "lantor: " goes to System.err and the virtual machine exits with one of
 * the EXIT_ codes.
 */
public final class WinLauncher {
    /** Fewer than five launcher arguments, an empty main class, or a flag that is neither "true" nor "false". */
    public static final int EXIT_BAD_LAUNCHER_ARGUMENTS = 2;
    /** The application main class is not on the class path, or loading it failed. */
    public static final int EXIT_MAIN_CLASS_NOT_LOADED = 3;
    /** The application main class has no public static void main(String[]). */
    public static final int EXIT_NO_MAIN_METHOD = 4;

    private WinLauncher() {
    }

    public static void main(String[] args) throws Throwable {
        try {
            launch(args, classLoader(), System.getProperties(), LauncherNatives::clearInstallStarted);
        } catch (LaunchFailure failure) {
            System.err.println("lantor: " + failure.getMessage());
            System.exit(failure.exitCode());
        }
    }

    private static ClassLoader classLoader() {
        ClassLoader context = Thread.currentThread().getContextClassLoader();
        return context != null ? context : ClassLoader.getSystemClassLoader();
    }

    /**
     * Starts the application. The InstallStarted mark is cleared once the
     * application's main has been found, right before it is called; a
     * launch that fails before leaves the mark set.
     *
     * @throws LaunchFailure before the application's main is called
     */
    static void launch(String[] args, ClassLoader loader, Properties properties, Runnable clearInstallStarted)
            throws Throwable {
        LauncherArguments launcherArguments = LauncherArguments.parse(args);
        ApplicationMain main = ApplicationMain.find(launcherArguments.mainClass(), loader);
        int programIndex = LauncherArguments.COUNT;
        String programPath = args.length > programIndex ? args[programIndex] : null;
        String[] applicationArguments = Arrays.copyOfRange(args, Math.min(programIndex + 1, args.length), args.length);
        Launch.setCurrent(Launch.of(properties, launcherArguments, programPath));
        InstallStartedMark.clear(clearInstallStarted);
        main.call(applicationArguments);
    }
}
