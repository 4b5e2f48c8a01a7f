package com.lantor.runtime;

import java.nio.file.Paths;
import java.util.Optional;
import java.util.OptionalInt;
import java.util.OptionalLong;
import java.util.Properties;
import java.util.function.Function;

/** The Launch API over present, absent and malformed properties. */
final class LaunchTest {
    private LaunchTest() {
    }

    private static Properties properties(String... namesAndValues) {
        Properties properties = new Properties();
        for (int i = 0; i < namesAndValues.length; i += 2) properties.setProperty(namesAndValues[i], namesAndValues[i + 1]);
        return properties;
    }

    @Test
    static void presentPropertiesAreRead() throws Exception {
        Launch launch = Launch.of(properties(
                Launch.SEMAPHORE_NAME, "c:_inst_setup.exe",
                Launch.MANUAL_JRE, "true",
                Launch.IS_QUARROW, "true",
                Launch.MODULE_NAME, "C:\\inst\\setup.exe",
                Launch.PROCESS_COMM_FILE, "C:\\Temp\\ltr_p42.tmp",
                Launch.TEMP_DIR, "C:\\Temp\\ltr1a2b.tmp_dir12345",
                Launch.UNEXTRACTED_POSITION, "232540",
                Launch.UNEXTRACTED_END, "240000",
                Launch.CONSOLE_CODEPAGE, "cp437",
                Launch.QUIET, "true"),
                LauncherArguments.parse(new String[] {"true", "a.B", "", "", "false"}), "setup.exe");
        Check.equal(Optional.of("c:_inst_setup.exe"), launch.semaphoreName(), "semaphore name");
        Check.equal(true, launch.manualRuntime(), "manual runtime");
        Check.equal(true, launch.isInstaller(), "installer");
        Check.equal(Optional.of(Paths.get("C:\\inst\\setup.exe")), launch.installerFile(), "installer file");
        Check.equal(Optional.of(Paths.get("C:\\Temp\\ltr_p42.tmp")), launch.processCommFile(), "process comm file");
        Check.equal(Optional.of(Paths.get("C:\\Temp\\ltr1a2b.tmp_dir12345")), launch.workDirectory(), "work directory");
        Check.equal(OptionalLong.of(232540), launch.unextractedPosition(), "unextracted position");
        Check.equal(OptionalLong.of(240000), launch.unextractedEnd(), "unextracted end");
        Check.equal(OptionalInt.of(437), launch.consoleCodePage(), "console code page");
        Check.equal(Optional.of(true), launch.quiet(), "quiet");
        Check.equal(Optional.of("setup.exe"), launch.programPath(), "program path");
        Check.equal("a.B", launch.launcherArguments().get().mainClass(), "main class");
    }

    @Test
    static void otherValuesTheLauncherWrites() {
        Launch launch = Launch.of(properties(Launch.CONSOLE_CODEPAGE, "cp0", Launch.QUIET, "false",
                Launch.UNEXTRACTED_POSITION, "0", Launch.TEMP_DIR, "", Launch.IS_QUARROW, "false"), null, null);
        Check.equal(OptionalInt.of(0), launch.consoleCodePage(), "code page without a console");
        Check.equal(Optional.of(false), launch.quiet(), "not quiet");
        Check.equal(OptionalLong.of(0), launch.unextractedPosition(), "nothing extracted");
        Check.equal(Optional.empty(), launch.workDirectory(), "empty work directory");
        Check.equal(false, launch.isInstaller(), "not an installer");
    }

    @Test
    static void absentPropertiesReadAsEmpty() {
        Launch launch = Launch.of(new Properties(), null, null);
        Check.equal(Optional.empty(), launch.semaphoreName(), "semaphore name");
        Check.equal(false, launch.manualRuntime(), "manual runtime");
        Check.equal(false, launch.isInstaller(), "installer");
        Check.equal(Optional.empty(), launch.installerFile(), "installer file");
        Check.equal(Optional.empty(), launch.processCommFile(), "process comm file");
        Check.equal(Optional.empty(), launch.workDirectory(), "work directory");
        Check.equal(OptionalLong.empty(), launch.unextractedPosition(), "unextracted position");
        Check.equal(OptionalLong.empty(), launch.unextractedEnd(), "unextracted end");
        Check.equal(OptionalInt.empty(), launch.consoleCodePage(), "console code page");
        Check.equal(Optional.empty(), launch.quiet(), "quiet");
        Check.equal(Optional.empty(), launch.programPath(), "program path");
        Check.equal(Optional.empty(), launch.launcherArguments(), "launcher arguments");
    }

    @Test
    static void malformedPropertiesNameThemselves() {
        Object[][] cases = {
            {Launch.UNEXTRACTED_POSITION, "abc", (Function<Launch, Object>) Launch::unextractedPosition,
                "lantor.unextractedPosition is not a decimal file offset: \"abc\""},
            {Launch.UNEXTRACTED_POSITION, "", (Function<Launch, Object>) Launch::unextractedPosition,
                "lantor.unextractedPosition is not a decimal file offset: \"\""},
            {Launch.UNEXTRACTED_POSITION, "-5", (Function<Launch, Object>) Launch::unextractedPosition,
                "lantor.unextractedPosition is a negative offset: \"-5\""},
            {Launch.UNEXTRACTED_POSITION, "+5", (Function<Launch, Object>) Launch::unextractedPosition,
                "lantor.unextractedPosition is not a decimal file offset: \"+5\""},
            {Launch.UNEXTRACTED_POSITION, " 5", (Function<Launch, Object>) Launch::unextractedPosition,
                "lantor.unextractedPosition is not a decimal file offset: \" 5\""},
            {Launch.UNEXTRACTED_END, "99999999999999999999", (Function<Launch, Object>) Launch::unextractedEnd,
                "lantor.unextractedEnd is not a decimal file offset: \"99999999999999999999\""},
            {Launch.UNEXTRACTED_END, "0x10", (Function<Launch, Object>) Launch::unextractedEnd,
                "lantor.unextractedEnd is not a decimal file offset: \"0x10\""},
            {Launch.CONSOLE_CODEPAGE, "437", (Function<Launch, Object>) Launch::consoleCodePage,
                "lantor.consoleCodepage is not \"cp\" followed by a code page number: \"437\""},
            {Launch.CONSOLE_CODEPAGE, "cp", (Function<Launch, Object>) Launch::consoleCodePage,
                "lantor.consoleCodepage is not \"cp\" followed by a code page number: \"cp\""},
            {Launch.CONSOLE_CODEPAGE, "cp-1", (Function<Launch, Object>) Launch::consoleCodePage,
                "lantor.consoleCodepage is not \"cp\" followed by a code page number: \"cp-1\""},
            {Launch.CONSOLE_CODEPAGE, "cp99999999999", (Function<Launch, Object>) Launch::consoleCodePage,
                "lantor.consoleCodepage is not \"cp\" followed by a code page number: \"cp99999999999\""},
            {Launch.QUIET, "yes", (Function<Launch, Object>) Launch::quiet,
                "lantor.quiet must be \"true\" or \"false\": \"yes\""},
            {Launch.IS_QUARROW, "TRUE", (Function<Launch, Object>) Launch::isInstaller,
                "lantor.isQuarrow must be \"true\" or \"false\": \"TRUE\""},
            {Launch.MANUAL_JRE, "", (Function<Launch, Object>) Launch::manualRuntime,
                "lantor.manualJre must be \"true\" or \"false\": \"\""},
            {Launch.TEMP_DIR, "C:\\a\u0000b", (Function<Launch, Object>) Launch::workDirectory,
                "lantor.tempDir is not a usable path (Nul character not allowed): \"C:\\a\u0000b\""},
        };
        for (Object[] c : cases) {
            @SuppressWarnings("unchecked")
            Function<Launch, Object> accessor = (Function<Launch, Object>) c[2];
            Launch launch = Launch.of(properties((String) c[0], (String) c[1]), null, null);
            String what = c[0] + "=" + c[1];
            IllegalStateException e = Check.fails(IllegalStateException.class, () -> accessor.apply(launch), what);
            Check.equal(c[3], e.getMessage(), what);
        }
    }

    @Test
    static void currentWithoutWinLauncherReadsTheSystemProperties() {
        Launch.setCurrent(null);
        String previous = System.getProperty(Launch.TEMP_DIR);
        System.setProperty(Launch.TEMP_DIR, "/tmp/work");
        try {
            Check.equal(Optional.of(Paths.get("/tmp/work")), Launch.current().workDirectory(), "work directory");
            Check.equal(Optional.empty(), Launch.current().launcherArguments(), "launcher arguments");
            Check.equal(Optional.empty(), Launch.current().programPath(), "program path");
        } finally {
            if (previous == null) System.clearProperty(Launch.TEMP_DIR);
            else System.setProperty(Launch.TEMP_DIR, previous);
        }
    }
}
