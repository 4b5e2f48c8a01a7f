package com.lantor.runtime;

import java.util.Optional;

/**
 * The five arguments the launcher puts in front of the application's
 * arguments, in typed form. They come from the launcher configuration:
 * argument 0 from record 107 (the GUI launcher type), 1 from record 122,
 * 2 and 3 from records 103 and 105 (when records 102 and 104 are set),
 * 4 from record 106.
 */
public final class LauncherArguments {
    /** How many arguments the launcher puts in front of the others. */
    public static final int COUNT = 5;

    private final boolean guiLauncher;
    private final String mainClass;
    private final String firstPath;
    private final String secondPath;
    private final boolean flag;

    private LauncherArguments(boolean guiLauncher, String mainClass, String firstPath, String secondPath,
                              boolean flag) {
        this.guiLauncher = guiLauncher;
        this.mainClass = mainClass;
        this.firstPath = firstPath;
        this.secondPath = secondPath;
        this.flag = flag;
    }

    /**
     * Reads the first five elements of the launcher's argument array.
     * The launcher writes "true" and "false" exactly; anything else means
     * the array did not come from a matching launcher.
     */
    static LauncherArguments parse(String[] args) throws LaunchFailure {
        if (args.length < COUNT) {
            throw new LaunchFailure(WinLauncher.EXIT_BAD_LAUNCHER_ARGUMENTS,
                    "expected at least " + COUNT + " launcher arguments, got " + args.length);
        }
        if (args[1].isEmpty()) {
            throw new LaunchFailure(WinLauncher.EXIT_BAD_LAUNCHER_ARGUMENTS,
                    "no application main class given (launcher argument 1 is empty)");
        }
        return new LauncherArguments(bool(args, 0), args[1], args[2], args[3], bool(args, 4));
    }

    private static boolean bool(String[] args, int index) throws LaunchFailure {
        if ("true".equals(args[index])) return true;
        if ("false".equals(args[index])) return false;
        throw new LaunchFailure(WinLauncher.EXIT_BAD_LAUNCHER_ARGUMENTS,
                "launcher argument " + index + " must be \"true\" or \"false\", got \"" + args[index] + "\"");
    }

    /** Argument 0: true when the launcher is of the GUI type (record 107 is 1). */
    public boolean guiLauncher() {
        return guiLauncher;
    }

    /** Argument 1: the application main class, dotted, as configured (record 122). */
    public String mainClass() {
        return mainClass;
    }

    /** Argument 2: the absolute path of record 103 when record 102 is set; empty when the launcher passed "". */
    public Optional<String> firstPath() {
        return nonEmpty(firstPath);
    }

    /** Argument 3: the absolute path of record 105 when record 104 is set; empty when the launcher passed "". */
    public Optional<String> secondPath() {
        return nonEmpty(secondPath);
    }

    /** Argument 4: true when record 106 is set. */
    public boolean flag() {
        return flag;
    }

    private static Optional<String> nonEmpty(String text) {
        return text.isEmpty() ? Optional.<String>empty() : Optional.of(text);
    }
}
