package com.lantor.runtime;

import java.io.IOException;
import java.io.InputStream;
import java.nio.file.Path;
import java.util.Optional;
import java.util.OptionalInt;
import java.util.OptionalLong;
import java.util.Properties;

/**
 * What the launcher told the Java side about this start: the system
 * properties it set when it created the virtual machine, and the launcher
 * arguments and program path that {@link WinLauncher} took off the
 * argument array. An immutable snapshot, taken right before the
 * application's main is called.
 *
 * <p>An absent property reads as empty (or as false, for the two flags
 * the launcher only sets when they hold). A value the launcher never writes
 * raises an {@link IllegalStateException} naming the property and quoting
 * the value.
 */
public final class Launch {
    /** The name of the single-instance semaphore (not set in a language restart). */
    public static final String SEMAPHORE_NAME = "lantor.semaphoreName";
    /** "true" when the user asked to choose the runtime by hand. */
    public static final String MANUAL_JRE = "lantor.manualJre";
    /** "true" when the launcher is an installer launcher. */
    public static final String IS_QUARROW = "lantor.isQuarrow";
    /** The installer file: the launcher's own path. */
    public static final String MODULE_NAME = "lantor.moduleName";
    /** The name of the process communication file (when the launcher is configured to name one). */
    public static final String PROCESS_COMM_FILE = "lantor.processCommFile";
    /** The work directory holding the included files. */
    public static final String TEMP_DIR = "lantor.tempDir";
    /** The file offset where the Java-side block begins (0 when the launcher extracted nothing). */
    public static final String UNEXTRACTED_POSITION = "lantor.unextractedPosition";
    /** The file offset where the Java-side block ends; without it the block ends with the file. */
    public static final String UNEXTRACTED_END = "lantor.unextractedEnd";
    /** "cp" and the console output code page, such as "cp437". */
    public static final String CONSOLE_CODEPAGE = "lantor.consoleCodepage";
    /** "true" when the launcher started quietly (-q, -c or a language restart), "false" otherwise. */
    public static final String QUIET = "lantor.quiet";

    private static volatile Launch current;

    private final PropertyValues properties;
    private final LauncherArguments launcherArguments;
    private final String programPath;

    private Launch(PropertyValues properties, LauncherArguments launcherArguments, String programPath) {
        this.properties = properties;
        this.launcherArguments = launcherArguments;
        this.programPath = programPath;
    }

    /**
     * The launch {@link WinLauncher} started. When the application was
     * started some other way (by java itself, in a test), a launch made of
     * the current system properties alone, without launcher arguments and
     * program path.
     */
    public static Launch current() {
        Launch launch = current;
        return launch != null ? launch : of(System.getProperties(), null, null);
    }

    static void setCurrent(Launch launch) {
        current = launch;
    }

    /** A launch made of the given properties; launcherArguments and programPath may be null (not given). */
    static Launch of(Properties properties, LauncherArguments launcherArguments, String programPath) {
        return new Launch(PropertyValues.snapshot(properties), launcherArguments, programPath);
    }

    /** The work directory (lantor.tempDir); empty when not set or empty (the launcher extracted nothing). */
    public Optional<Path> workDirectory() {
        return properties.path(TEMP_DIR);
    }

    /** The installer file (lantor.moduleName). */
    public Optional<Path> installerFile() {
        return properties.path(MODULE_NAME);
    }

    /** True when the launcher is an installer launcher (lantor.isQuarrow is "true"). */
    public boolean isInstaller() {
        return properties.flag(IS_QUARROW);
    }

    /**
     * Whether the launcher started quietly: no window, no questions
     * (lantor.quiet). Empty when the launcher does not say; launchers that
     * do not pass lantor.quiet leave the decision to the application.
     */
    public Optional<Boolean> quiet() {
        return properties.optionalFlag(QUIET);
    }

    /** True when the user asked to choose the runtime by hand (lantor.manualJre is "true"). */
    public boolean manualRuntime() {
        return properties.flag(MANUAL_JRE);
    }

    /** The single-instance semaphore's name (lantor.semaphoreName). */
    public Optional<String> semaphoreName() {
        return properties.text(SEMAPHORE_NAME);
    }

    /** The process communication file (lantor.processCommFile); the launcher names it but does not create it. */
    public Optional<Path> processCommFile() {
        return properties.path(PROCESS_COMM_FILE);
    }

    /**
     * The console output code page (lantor.consoleCodepage without its
     * "cp"); 0 when the launcher had no console. Empty when not set (the
     * launcher leaves it out when MANPATH is set).
     */
    public OptionalInt consoleCodePage() {
        return properties.codePage(CONSOLE_CODEPAGE);
    }

    /** Where the Java-side block begins in the installer file (lantor.unextractedPosition). */
    public OptionalLong unextractedPosition() {
        return properties.offset(UNEXTRACTED_POSITION);
    }

    /** Where the Java-side block ends in the installer file (lantor.unextractedEnd). */
    public OptionalLong unextractedEnd() {
        return properties.offset(UNEXTRACTED_END);
    }

    /**
     * The program path as the user typed it, quotes removed: the first
     * argument after the launcher arguments. It is not passed to the
     * application's main. Empty when not started by {@link WinLauncher} or
     * when the launcher passed no program path.
     */
    public Optional<String> programPath() {
        return Optional.ofNullable(programPath);
    }

    /** The five launcher arguments; empty when not started by {@link WinLauncher}. */
    public Optional<LauncherArguments> launcherArguments() {
        return Optional.ofNullable(launcherArguments);
    }

    /**
     * Opens the Java-side block of the installer file: from
     * lantor.unextractedPosition to lantor.unextractedEnd, or to the end of
     * the file when lantor.unextractedEnd is not set.
     *
     * @throws IllegalStateException when lantor.moduleName or
     *         lantor.unextractedPosition is not set, a property is malformed,
     *         the position is 0 (the launcher extracted nothing), the end
     *         lies before the position, or either lies past the end of the file
     * @throws IOException when the installer file cannot be opened or read
     */
    public InputStream openJavaBlock() throws IOException {
        Path file = installerFile().orElseThrow(() -> notSet(MODULE_NAME));
        long start = unextractedPosition().orElseThrow(() -> notSet(UNEXTRACTED_POSITION));
        return JavaBlock.open(file, start, unextractedEnd());
    }

    private static IllegalStateException notSet(String name) {
        return new IllegalStateException(name + " is not set");
    }
}
