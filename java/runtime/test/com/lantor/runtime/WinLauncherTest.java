package com.lantor.runtime;

import com.lantor.fixtures.RecordingApp;

import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.Optional;
import java.util.Properties;

/** WinLauncher in this virtual machine: what main receives, the launcher arguments, failures, the hook. */
final class WinLauncherTest {
    private static final String RECORDING = "com.lantor.fixtures.RecordingApp";
    private static final String PROGRAM = "C:\\Program Files\\Example\\setup.exe";

    private WinLauncherTest() {
    }

    private static String[] array(String mainClass, String... rest) {
        List<String> args = new ArrayList<>(Arrays.asList("false", mainClass, "", "", "false"));
        args.addAll(Arrays.asList(rest));
        return args.toArray(new String[0]);
    }

    private static String[] with(String program, String[] arguments) {
        String[] all = new String[arguments.length + 1];
        all[0] = program;
        System.arraycopy(arguments, 0, all, 1, arguments.length);
        return all;
    }

    private static void launch(String[] args, ClassLoader loader, Runnable hook) throws Throwable {
        RecordingApp.reset();
        WinLauncher.launch(args, loader, new Properties(), hook);
    }

    private static void launch(String[] args) throws Throwable {
        launch(args, WinLauncherTest.class.getClassLoader(), () -> RecordingApp.hookCalls++);
    }

    @Test
    static void argumentsReachMainExactly() throws Throwable {
        Object[][] cases = {
            {"none", new String[0]},
            {"an empty argument", new String[] {""}},
            {"empty ones around", new String[] {"", "x", ""}},
            {"spaces", new String[] {"a b", "  leading and trailing  "}},
            {"quotes", new String[] {"\"quoted\"", "it's", "\"", "'"}},
            {"Latin", new String[] {"Grüße aus Köln", "façade", "Ærøskøbing"}},
            {"Cyrillic", new String[] {"Жёлтый", "Ж"}},
            {"CJK", new String[] {"東京", "설치"}},
            {"a surrogate pair", new String[] {"\ud83d\ude00", "x\ud83d\ude00y"}},
            {"lone surrogates, as NewString can make them", new String[] {"\ud800", "\udc00x"}},
            {"switches the launcher also saw", new String[] {"-q", "-c", "-manual", "/manual", "-J-Xmx1g"}},
            {"control characters", new String[] {"tab\there", "line\nbreak", "\u0000"}},
        };
        for (Object[] c : cases) {
            String[] arguments = (String[]) c[1];
            launch(array(RECORDING, with(PROGRAM, arguments)));
            Check.equal(arguments, RecordingApp.received, (String) c[0]);
        }
    }

    @Test
    static void programPathIsTakenOffAndKept() throws Throwable {
        launch(array(RECORDING, PROGRAM, "--user", "x"));
        Check.equal(new String[] {"--user", "x"}, RecordingApp.received, "main's arguments");
        Check.equal(Optional.of(PROGRAM), Launch.current().programPath(), "program path");

        launch(array(RECORDING));
        Check.equal(new String[0], RecordingApp.received, "main's arguments without a program path");
        Check.equal(Optional.empty(), Launch.current().programPath(), "no program path");

        launch(array(RECORDING, ""));
        Check.equal(new String[0], RecordingApp.received, "main's arguments with an empty program path");
        Check.equal(Optional.of(""), Launch.current().programPath(), "empty program path");
    }

    @Test
    static void launcherArgumentsAreTyped() throws Throwable {
        Object[][] cases = {
            // arguments 0 to 4; expected gui, firstPath, secondPath, flag
            {new String[] {"true", RECORDING, "", "", "false"}, true, Optional.empty(), Optional.empty(), false},
            {new String[] {"false", RECORDING, "C:\\a b\\license.txt", "", "true"}, false,
                Optional.of("C:\\a b\\license.txt"), Optional.empty(), true},
            {new String[] {"false", RECORDING, "", "D:\\Ж\\readme.txt", "false"}, false, Optional.empty(),
                Optional.of("D:\\Ж\\readme.txt"), false},
        };
        for (Object[] c : cases) {
            String[] args = (String[]) c[0];
            launch(args);
            LauncherArguments typed = Launch.current().launcherArguments().get();
            String what = Arrays.toString(args);
            Check.equal(c[1], typed.guiLauncher(), what + " gui");
            Check.equal(RECORDING, typed.mainClass(), what + " main class");
            Check.equal(c[2], typed.firstPath(), what + " first path");
            Check.equal(c[3], typed.secondPath(), what + " second path");
            Check.equal(c[4], typed.flag(), what + " flag");
        }
    }

    @Test
    static void launchesThatCannotStartSayWhyAndLeaveTheMarkSet() {
        ClassLoader plain = WinLauncherTest.class.getClassLoader();
        Object[][] cases = {
            {new String[0], plain, 2, "expected at least 5 launcher arguments, got 0"},
            {new String[] {"true", RECORDING, "", ""}, plain, 2, "expected at least 5 launcher arguments, got 4"},
            {array(""), plain, 2, "no application main class given (launcher argument 1 is empty)"},
            {new String[] {"yes", RECORDING, "", "", "false"}, plain, 2,
                "launcher argument 0 must be \"true\" or \"false\", got \"yes\""},
            {new String[] {"true", RECORDING, "", "", "1"}, plain, 2,
                "launcher argument 4 must be \"true\" or \"false\", got \"1\""},
            {array("com.lantor.fixtures.Missing"), plain, 3, "the application main class com.lantor.fixtures.Missing"
                + " was not found on the class path (" + System.getProperty("java.class.path") + ")"},
            {array("com/lantor/fixtures/RecordingApp"), plain, 3, "the application main class"
                + " com/lantor/fixtures/RecordingApp was not found on the class path ("
                + System.getProperty("java.class.path") + ")"},
            {array(RECORDING), new TestLoader(RECORDING, true, null), 3, "the application main class " + RECORDING
                + " could not be loaded: java.lang.UnsupportedClassVersionError: com/lantor/fixtures/RecordingApp has"
                + " been compiled by a more recent version of the Java Runtime (class file version 127.0)..."},
            {array("com.lantor.fixtures.NeedsDependency"),
                new TestLoader("com.lantor.fixtures.NeedsDependency", false, "com.lantor.fixtures.Dependency"), 3,
                "the application main class com.lantor.fixtures.NeedsDependency could not be loaded:"
                + " java.lang.NoClassDefFoundError: com/lantor/fixtures/Dependency"},
            {array("com.lantor.fixtures.NoMain"), plain, 4,
                "com.lantor.fixtures.NoMain has no method public static void main(String[])"},
            {array("com.lantor.fixtures.PrivateMain"), plain, 4,
                "com.lantor.fixtures.PrivateMain.main(String[]) is not public"},
            {array("com.lantor.fixtures.InstanceMain"), plain, 4,
                "com.lantor.fixtures.InstanceMain.main(String[]) is not static"},
            {array("com.lantor.fixtures.IntMain"), plain, 4,
                "com.lantor.fixtures.IntMain.main(String[]) does not return void"},
        };
        for (Object[] c : cases) {
            String what = Arrays.toString((String[]) c[0]);
            LaunchFailure failure = Check.fails(LaunchFailure.class,
                    () -> launch((String[]) c[0], (ClassLoader) c[1], () -> RecordingApp.hookCalls++), what);
            Check.equal(c[2], failure.exitCode(), what + " exit code");
            String expected = (String) c[3];
            if (expected.endsWith("...")) {
                // The rest names the running Java's own class file version.
                Check.isTrue(failure.getMessage().startsWith(expected.substring(0, expected.length() - 3)),
                        what + " message: " + failure.getMessage());
            } else {
                Check.equal(expected, failure.getMessage(), what + " message");
            }
            Check.equal(0, RecordingApp.hookCalls, what + " InstallStarted cleared");
        }
    }

    @Test
    static void mainClassThatIsNotPublicStarts() throws Throwable {
        launch(array("com.lantor.fixtures.HiddenApp", PROGRAM, "x"));
        Check.equal(new String[] {"x"}, RecordingApp.received, "main's arguments");
    }

    @Test
    static void whatMainThrowsComesOutUnchanged() {
        Exception checked = Check.fails(Exception.class, () -> launch(array("com.lantor.fixtures.ThrowingApp", PROGRAM)),
                "checked exception");
        Check.equal(Exception.class, checked.getClass(), "class of the exception");
        Check.equal("checked failure from main", checked.getMessage(), "its message");
        Check.equal("com.lantor.fixtures.ThrowingApp", checked.getStackTrace()[0].getClassName(), "thrown where");

        ExceptionInInitializerError init = Check.fails(ExceptionInInitializerError.class,
                () -> launch(array("com.lantor.fixtures.FailingInitializer", PROGRAM)), "static initialiser");
        Check.equal("static initialiser failed", init.getCause().getMessage(), "its cause");
        Check.equal(1, RecordingApp.hookCalls, "InstallStarted cleared before the class was initialised");
    }

    @Test
    static void installStartedIsClearedOnceRightBeforeMain() throws Throwable {
        launch(array(RECORDING, PROGRAM, "a"));
        Check.equal(1, RecordingApp.hookCallsAtEntry, "calls when main was entered");
        Check.equal(1, RecordingApp.hookCalls, "calls after main returned");
    }

    @Test
    static void unregisteredNativeIsSkipped() throws Throwable {
        Check.equal(false, InstallStartedMark.clear(LauncherNatives::clearInstallStarted), "the real native ran");
        RecordingApp.reset();
        WinLauncher.launch(array(RECORDING, PROGRAM, "a"), WinLauncherTest.class.getClassLoader(), new Properties(),
                LauncherNatives::clearInstallStarted);
        Check.equal(new String[] {"a"}, RecordingApp.received, "main's arguments without the native");
    }

    @Test
    static void otherFailuresOfTheNativeAreNotHidden() {
        IllegalStateException thrown = Check.fails(IllegalStateException.class,
                () -> launch(array(RECORDING, PROGRAM), WinLauncherTest.class.getClassLoader(), () -> {
                    throw new IllegalStateException("registry write failed");
                }), "a native that fails");
        Check.equal("registry write failed", thrown.getMessage(), "its message");
        Check.equal(null, RecordingApp.received, "main's arguments");
    }

    @Test
    static void launchIsTheSnapshotOfItsProperties() throws Throwable {
        Properties properties = new Properties();
        properties.setProperty(Launch.TEMP_DIR, "C:\\work");
        properties.setProperty("other.property", "x");
        RecordingApp.reset();
        WinLauncher.launch(array(RECORDING, PROGRAM), WinLauncherTest.class.getClassLoader(), properties, () -> { });
        properties.setProperty(Launch.TEMP_DIR, "C:\\changed");
        Check.equal("C:\\work", Launch.current().workDirectory().get().toString(), "work directory");
    }
}
