package com.lantor.runtime;

import java.io.File;
import java.io.IOException;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.List;
import java.util.concurrent.TimeUnit;

/**
 * Runs a class in a virtual machine of its own, as java does when an
 * application exits or fails, with the arguments passed in UTF-8 (the
 * test runner and the child both run under a UTF-8 locale).
 */
final class ChildJvm {
    /** Only a safety net against a child that hangs: a run normally takes well under a second. */
    private static final long TIMEOUT_SECONDS = 300;

    final int exitCode;
    final String out;
    final String err;

    private ChildJvm(int exitCode, String out, String err) {
        this.exitCode = exitCode;
        this.out = out;
        this.err = err;
    }

    /** The test classes and the runtime library the tests run from. */
    static String testClassPath() {
        return System.getProperty("java.class.path");
    }

    static ChildJvm run(String classPath, List<String> options, String mainClass, List<String> args)
            throws IOException, InterruptedException {
        if (!"UTF-8".equals(System.getProperty("sun.jnu.encoding"))) {
            throw new AssertionError("the tests need a UTF-8 locale (LC_ALL=C.UTF-8) to pass arguments outside"
                    + " ASCII; sun.jnu.encoding is " + System.getProperty("sun.jnu.encoding"));
        }
        List<String> command = new ArrayList<>();
        command.add(System.getProperty("java.home") + File.separator + "bin" + File.separator + "java");
        command.add("-cp");
        command.add(classPath);
        command.addAll(options);
        command.add(mainClass);
        command.addAll(args);
        Path out = Files.createTempFile("child-out", ".txt");
        Path err = Files.createTempFile("child-err", ".txt");
        try {
            ProcessBuilder builder = new ProcessBuilder(command).redirectOutput(out.toFile()).redirectError(err.toFile());
            builder.environment().put("LC_ALL", "C.UTF-8");
            Process process = builder.start();
            if (!process.waitFor(TIMEOUT_SECONDS, TimeUnit.SECONDS)) {
                process.destroyForcibly();
                throw new AssertionError("the child did not end: " + command);
            }
            return new ChildJvm(process.exitValue(), new String(Files.readAllBytes(out), StandardCharsets.UTF_8),
                    new String(Files.readAllBytes(err), StandardCharsets.UTF_8));
        } finally {
            Files.delete(out);
            Files.delete(err);
        }
    }

    /** The launcher's argument array: the five launcher arguments for the main class, a program path, the rest. */
    static List<String> launcherArray(String mainClass, String... rest) {
        List<String> args = new ArrayList<>(Arrays.asList("true", mainClass, "", "", "false"));
        args.add("C:\\Program Files\\Example\\setup.exe");
        args.addAll(Arrays.asList(rest));
        return args;
    }

    @Override
    public String toString() {
        return "exit code " + exitCode + "\n--- out:\n" + out + "--- err:\n" + err;
    }
}
