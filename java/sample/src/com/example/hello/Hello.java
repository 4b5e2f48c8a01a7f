package com.example.hello;

import com.lantor.runtime.Launch;
import com.lantor.runtime.LauncherArguments;

import java.io.IOException;
import java.io.InputStream;
import java.util.Optional;
import java.util.concurrent.Callable;

/**
 * A small application for the launcher: prints the arguments its main
 * received (each also as UTF-16 code units, so that a console in another
 * code page cannot hide what arrived) and what {@link Launch} reports, and
 * exits with the code given as --exit=N (0 without it).
 */
public final class Hello {
    private static final String EXIT_OPTION = "--exit=";

    private Hello() {
    }

    public static void main(String[] args) {
        System.out.println("hello: " + args.length + " arguments");
        int exitCode = 0;
        for (int i = 0; i < args.length; i++) {
            System.out.println("argument " + i + ": " + args[i]);
            System.out.println("  UTF-16:" + codeUnits(args[i]));
            if (args[i].startsWith(EXIT_OPTION)) exitCode = Integer.parseInt(args[i].substring(EXIT_OPTION.length()));
        }
        Launch launch = Launch.current();
        show("program path", () -> text(launch.programPath()));
        show("work directory", () -> text(launch.workDirectory()));
        show("installer file", () -> text(launch.installerFile()));
        show("installer launcher", () -> String.valueOf(launch.isInstaller()));
        show("quiet", () -> launch.quiet().map(String::valueOf).orElse("(not told)"));
        show("manual runtime", () -> String.valueOf(launch.manualRuntime()));
        show("console code page", () -> launch.consoleCodePage().isPresent()
                ? String.valueOf(launch.consoleCodePage().getAsInt()) : "(not set)");
        show("launcher arguments", () -> launch.launcherArguments().map(Hello::launcherArguments).orElse("(none)"));
        show("Java-side block", () -> javaBlock(launch));
        System.out.println("exit code: " + exitCode);
        System.exit(exitCode);
    }

    private static String codeUnits(String text) {
        StringBuilder out = new StringBuilder();
        for (int i = 0; i < text.length(); i++) out.append(String.format(" %04x", (int) text.charAt(i)));
        return out.toString();
    }

    private static String text(Optional<?> value) {
        return value.map(String::valueOf).orElse("(not set)");
    }

    private static String launcherArguments(LauncherArguments a) {
        return "gui=" + a.guiLauncher() + " mainClass=" + a.mainClass() + " firstPath=" + a.firstPath().orElse("")
                + " secondPath=" + a.secondPath().orElse("") + " flag=" + a.flag();
    }

    private static String javaBlock(Launch launch) throws IOException {
        StringBuilder bytes = new StringBuilder();
        long count = 0;
        try (InputStream in = launch.openJavaBlock()) {
            for (int b = in.read(); b >= 0; b = in.read(), count++) {
                if (count < 16) bytes.append(String.format(" %02x", b));
            }
        }
        return count + " bytes" + (count > 0 ? ":" + bytes + (count > 16 ? " ..." : "") : "");
    }

    /** One line of the report; a value Launch refuses shows its reason. */
    private static void show(String label, Callable<String> value) {
        String shown;
        try {
            shown = value.call();
        } catch (Exception e) {
            shown = "unavailable (" + e.getMessage() + ")";
        }
        System.out.println(label + ": " + shown);
    }
}
