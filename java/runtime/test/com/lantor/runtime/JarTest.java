package com.lantor.runtime;

import java.io.File;
import java.io.IOException;
import java.io.InputStream;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.time.LocalDateTime;
import java.util.ArrayList;
import java.util.Arrays;
import java.util.Collections;
import java.util.Comparator;
import java.util.Enumeration;
import java.util.List;
import java.util.concurrent.TimeUnit;
import java.util.stream.Stream;
import java.util.zip.ZipEntry;
import java.util.zip.ZipFile;

/** The jars the build writes: their layout, their class file version, and the same bytes from the same sources. */
final class JarTest {
    private static final int JAVA_8_CLASS_VERSION = 52;

    private JarTest() {
    }

    private static List<String> jars() {
        List<String> jars = new ArrayList<>();
        jars.add(System.getProperty("test.runtimeJar"));
        jars.add(System.getProperty("test.sampleJar"));
        return jars;
    }

    @Test
    static void entriesAreSortedWithOneTimeStamp() throws IOException {
        for (String jar : jars()) {
            List<String> names = new ArrayList<>();
            try (ZipFile zip = new ZipFile(jar)) {
                for (Enumeration<? extends ZipEntry> e = zip.entries(); e.hasMoreElements();) {
                    ZipEntry entry = e.nextElement();
                    names.add(entry.getName());
                    Check.equal(LocalDateTime.of(2000, 1, 1, 0, 0), entry.getTimeLocal(), jar + " " + entry.getName());
                }
            }
            Check.equal("META-INF/", names.get(0), jar + " first entry");
            Check.equal("META-INF/MANIFEST.MF", names.get(1), jar + " second entry");
            List<String> rest = new ArrayList<>(names.subList(2, names.size()));
            List<String> sorted = new ArrayList<>(rest);
            Collections.sort(sorted);
            Check.equal(sorted, rest, jar + " entry order");
        }
    }

    @Test
    static void classesLoadOnJava8() throws IOException {
        for (String jar : jars()) {
            int classes = 0;
            try (ZipFile zip = new ZipFile(jar)) {
                for (Enumeration<? extends ZipEntry> e = zip.entries(); e.hasMoreElements();) {
                    ZipEntry entry = e.nextElement();
                    if (!entry.getName().endsWith(".class")) continue;
                    classes++;
                    try (InputStream in = zip.getInputStream(entry)) {
                        byte[] header = new byte[8];
                        Check.equal(8, in.read(header), entry.getName() + " header");
                        Check.equal(JAVA_8_CLASS_VERSION, (header[6] & 0xff) << 8 | header[7] & 0xff,
                                jar + " " + entry.getName() + " class file version");
                    }
                }
            }
            Check.isTrue(classes > 0, jar + " holds classes");
        }
    }

    private static void sameBytes(Path built, Path rebuilt) throws IOException {
        Check.isTrue(Arrays.equals(Files.readAllBytes(built), Files.readAllBytes(rebuilt)),
                rebuilt + " (" + Files.size(rebuilt) + " bytes) differs from " + built + " (" + Files.size(built)
                + " bytes)");
    }

    @Test
    static void rebuildGivesTheSameBytes() throws Exception {
        Path scratch = Files.createTempDirectory("java-rebuild");
        try {
            Path jar = scratch.resolve("lantor-runtime.jar");
            ProcessBuilder build = new ProcessBuilder("java/build.sh").redirectErrorStream(true)
                    .redirectOutput(scratch.resolve("build.txt").toFile());
            build.environment().put("JAVA_BUILD_DIR", scratch.resolve("build").toString());
            build.environment().put("RUNTIME_JAR", jar.toString());
            Process process = build.start();
            Check.isTrue(process.waitFor(600, TimeUnit.SECONDS), "the build ended");
            Check.equal(0, process.exitValue(), "build exit code: " + new String(Files.readAllBytes(
                    scratch.resolve("build.txt"))));
            sameBytes(Paths.get(System.getProperty("test.runtimeJar")), jar);
            sameBytes(Paths.get(System.getProperty("test.sampleJar")), scratch.resolve("build").resolve("hello.jar"));
        } finally {
            try (Stream<Path> paths = Files.walk(scratch)) {
                paths.sorted(Comparator.reverseOrder()).map(Path::toFile).forEach(File::delete);
            }
        }
    }
}
