package com.lantor.runtime;

import java.io.FileOutputStream;
import java.io.IOException;
import java.io.PrintStream;
import java.lang.management.ManagementFactory;

/**
 * Stands in for the installer's launcher class in the host tests: writes
 * the options the virtual machine was created with and the arguments main
 * received to the file named by -Dtest.report, one escaped line each.
 * -Dtest.main=throw makes main end with an exception.
 */
public final class WinLauncher {
    static String escape(String text) {
        StringBuilder out = new StringBuilder();
        for (char c : text.toCharArray()) {
            if (c >= 0x20 && c < 0x7f && c != '\\') out.append(c);
            else out.append(String.format("\\u%04x", (int) c));
        }
        return out.toString();
    }

    public static void report(String line) throws IOException {
        try (PrintStream out = new PrintStream(new FileOutputStream(System.getProperty("test.report"), true), true,
                "US-ASCII")) {
            out.println(line);
        }
    }

    public static void main(String[] args) throws IOException {
        for (String option : ManagementFactory.getRuntimeMXBean().getInputArguments()) report("option " + escape(option));
        report("count " + args.length);
        for (String arg : args) report("arg " + escape(arg));
        if ("throw".equals(System.getProperty("test.main"))) throw new IllegalStateException("main failed on purpose");
    }
}
