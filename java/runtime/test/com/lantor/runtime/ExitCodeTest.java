package com.lantor.runtime;

import java.util.Arrays;
import java.util.Collections;
import java.util.List;

/** How a launch ends, each in a virtual machine of its own started by java the way the launcher calls WinLauncher. */
final class ExitCodeTest {
    private static final String WIN_LAUNCHER = "com.lantor.runtime.WinLauncher";

    private ExitCodeTest() {
    }

    private static ChildJvm launch(String mainClass, String... rest) throws Exception {
        return ChildJvm.run(ChildJvm.testClassPath(), Collections.<String>emptyList(), WIN_LAUNCHER,
                ChildJvm.launcherArray(mainClass, rest));
    }

    @Test
    static void returningFromMainEndsNormallyOnceTheLastThreadEnds() throws Exception {
        ChildJvm child = launch("com.lantor.fixtures.ReturningApp");
        Check.equal(0, child.exitCode, "exit code, " + child);
        Check.equal("main returns\nworker ended after main\n", child.out, "output, " + child);
        Check.equal("", child.err, "error stream (an unregistered native is skipped silently), " + child);
    }

    @Test
    static void systemExitEndsWithItsCode() throws Exception {
        for (int code : new int[] {0, 1, 7, 83, 255}) {
            ChildJvm child = launch("com.lantor.fixtures.ExitingApp", String.valueOf(code));
            Check.equal(code, child.exitCode, "System.exit(" + code + "), " + child);
            Check.equal("", child.err, "error stream, " + child);
        }
    }

    @Test
    static void exceptionFromMainReachesTheCaller() throws Exception {
        ChildJvm child = launch("com.lantor.fixtures.ThrowingApp");
        Check.equal(1, child.exitCode, "exit code, " + child);
        Check.isTrue(child.err.startsWith("Exception in thread \"main\" java.lang.Exception: checked failure from main\n"
                + "\tat com.lantor.fixtures.ThrowingApp.main(ThrowingApp.java:"), "the application's exception, " + child);
        Check.isTrue(!child.err.contains("InvocationTargetException"), "not wrapped, " + child);
    }

    @Test
    static void launchesThatCannotStartEndWithTheirCode() throws Exception {
        String classPath = ChildJvm.testClassPath();
        Object[][] cases = {
            {Arrays.asList("true", "com.lantor.fixtures.ExitingApp"), 2,
                "lantor: expected at least 5 launcher arguments, got 2\n"},
            {ChildJvm.launcherArray("com.lantor.fixtures.Missing"), 3, "lantor: the application main class"
                + " com.lantor.fixtures.Missing was not found on the class path (" + classPath + ")\n"},
            {ChildJvm.launcherArray("com.lantor.fixtures.NoMain"), 4,
                "lantor: com.lantor.fixtures.NoMain has no method public static void main(String[])\n"},
            {ChildJvm.launcherArray("com.lantor.fixtures.InstanceMain"), 4,
                "lantor: com.lantor.fixtures.InstanceMain.main(String[]) is not static\n"},
        };
        for (Object[] c : cases) {
            @SuppressWarnings("unchecked")
            List<String> args = (List<String>) c[0];
            ChildJvm child = ChildJvm.run(classPath, Collections.<String>emptyList(), WIN_LAUNCHER, args);
            Check.equal(c[1], child.exitCode, args + " exit code, " + child);
            Check.equal(c[2], child.err, args + " error stream");
            Check.equal("", child.out, args + " output");
        }
    }

    @Test
    static void registeredNativeRunsOnceBeforeMain() throws Exception {
        List<String> args = ChildJvm.launcherArray("com.lantor.fixtures.NativeProbe");
        args.add(0, System.getProperty("test.nativeLibrary"));
        ChildJvm child = ChildJvm.run(ChildJvm.testClassPath(), Collections.<String>emptyList(),
                "com.lantor.fixtures.NativeStart", args);
        Check.equal(0, child.exitCode, "exit code, " + child);
        Check.equal("clear calls at main entry: 1\n", child.out, "output, " + child);
    }
}
