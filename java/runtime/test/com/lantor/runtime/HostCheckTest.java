package com.lantor.runtime;

import java.io.File;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Collections;
import java.util.List;

/**
 * The shipped library and the sample application on the machine's
 * OpenJDK, started the way the launcher calls them: java -cp
 * lantor-runtime.jar:hello.jar com.lantor.runtime.WinLauncher true
 * com.example.hello.Hello "" "" false program arguments...
 */
final class HostCheckTest {
    private static final String PROGRAM = "C:\\Users\\Jörg\\Downloads\\Setup Ж.exe";
    private static final List<String> ARGUMENTS = Arrays.asList("", "a b", "\"quoted\"", "it's", "Grüße aus Köln",
            "Жёлтый", "東京", "\ud83d\ude00", "--exit=7");

    private HostCheckTest() {
    }

    private static String classPath() {
        return System.getProperty("test.runtimeJar") + File.pathSeparator + System.getProperty("test.sampleJar");
    }

    private static List<String> launcherArray(String mainClass, List<String> arguments) {
        List<String> args = new ArrayList<>(Arrays.asList("true", mainClass, "", "", "false", PROGRAM));
        args.addAll(arguments);
        return args;
    }

    private static String codeUnits(String text) {
        StringBuilder out = new StringBuilder();
        for (char c : text.toCharArray()) out.append(String.format(" %04x", (int) c));
        return out.toString();
    }

    @Test
    static void sampleReceivesItsArgumentsAndTheLaunch() throws Exception {
        Path installer = Files.createTempFile("setup", ".exe");
        Files.write(installer, "MZ..block!..".getBytes(StandardCharsets.US_ASCII));
        try {
            List<String> options = Arrays.asList("-Dlantor.moduleName=" + installer, "-Dlantor.tempDir=/tmp/ltr1.tmp_dir1",
                    "-Dlantor.isQuarrow=true", "-Dlantor.unextractedPosition=4", "-Dlantor.unextractedEnd=10",
                    "-Dlantor.consoleCodepage=cp437");
            ChildJvm child = ChildJvm.run(classPath(), options, "com.lantor.runtime.WinLauncher",
                    launcherArray("com.example.hello.Hello", ARGUMENTS));
            StringBuilder expected = new StringBuilder("hello: " + ARGUMENTS.size() + " arguments\n");
            for (int i = 0; i < ARGUMENTS.size(); i++) {
                expected.append("argument ").append(i).append(": ").append(ARGUMENTS.get(i)).append('\n');
                expected.append("  UTF-16:").append(codeUnits(ARGUMENTS.get(i))).append('\n');
            }
            expected.append("program path: ").append(PROGRAM).append('\n')
                    .append("work directory: /tmp/ltr1.tmp_dir1\n")
                    .append("installer file: ").append(installer).append('\n')
                    .append("installer launcher: true\n")
                    .append("quiet: (not told)\n")
                    .append("manual runtime: false\n")
                    .append("console code page: 437\n")
                    .append("launcher arguments: gui=true mainClass=com.example.hello.Hello firstPath= secondPath="
                            + " flag=false\n")
                    .append("Java-side block: 6 bytes: 62 6c 6f 63 6b 21\n")
                    .append("exit code: 7\n");
            Check.equal(7, child.exitCode, "exit code, " + child);
            Check.equal(expected.toString(), child.out, "output");
            Check.equal("", child.err, "error stream");
        } finally {
            Files.delete(installer);
        }
    }

    @Test
    static void sampleReportsWhatTheLaunchLacks() throws Exception {
        ChildJvm child = ChildJvm.run(classPath(), Arrays.asList("-Dlantor.quiet=true",
                "-Dlantor.moduleName=/nonexistent/setup.exe", "-Dlantor.unextractedPosition=12x"), "com.lantor.runtime.WinLauncher",
                launcherArray("com.example.hello.Hello", Collections.<String>emptyList()));
        Check.equal(0, child.exitCode, "exit code, " + child);
        Check.equal("hello: 0 arguments\n"
                + "program path: " + PROGRAM + "\n"
                + "work directory: (not set)\n"
                + "installer file: /nonexistent/setup.exe\n"
                + "installer launcher: false\n"
                + "quiet: true\n"
                + "manual runtime: false\n"
                + "console code page: (not set)\n"
                + "launcher arguments: gui=true mainClass=com.example.hello.Hello firstPath= secondPath= flag=false\n"
                + "Java-side block: unavailable (lantor.unextractedPosition is not a decimal file offset: \"12x\")\n"
                + "exit code: 0\n", child.out, "output");
    }

    @Test
    static void missingClassAndMissingMain() throws Exception {
        Object[][] cases = {
            {"com.example.hello.Missing", 3, "lantor: the application main class com.example.hello.Missing was not"
                + " found on the class path (" + classPath() + ")\n"},
            {"com.lantor.runtime.Launch", 4,
                "lantor: com.lantor.runtime.Launch has no method public static void main(String[])\n"},
        };
        for (Object[] c : cases) {
            ChildJvm child = ChildJvm.run(classPath(), Collections.<String>emptyList(), "com.lantor.runtime.WinLauncher",
                    launcherArray((String) c[0], ARGUMENTS));
            Check.equal(c[1], child.exitCode, c[0] + " exit code, " + child);
            Check.equal(c[2], child.err, c[0] + " error stream");
            Check.equal("", child.out, c[0] + " output");
        }
    }
}
