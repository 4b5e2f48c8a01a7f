package com.lantor.runtime;

import java.io.ByteArrayOutputStream;
import java.io.FileNotFoundException;
import java.io.IOException;
import java.io.InputStream;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.Arrays;
import java.util.Properties;

/** The Java-side block of the installer file: its bounds and how the stream reads. */
final class JavaBlockTest {
    private static final int FILE_LENGTH = 64;

    private JavaBlockTest() {
    }

    /** An installer file whose byte at offset n is n. */
    private static Path installer() throws IOException {
        byte[] bytes = new byte[FILE_LENGTH];
        for (int i = 0; i < bytes.length; i++) bytes[i] = (byte) i;
        Path file = Files.createTempFile("installer", ".exe");
        Files.write(file, bytes);
        return file;
    }

    private static Launch launch(Path file, String position, String end) {
        Properties properties = new Properties();
        if (file != null) properties.setProperty(Launch.MODULE_NAME, file.toString());
        if (position != null) properties.setProperty(Launch.UNEXTRACTED_POSITION, position);
        if (end != null) properties.setProperty(Launch.UNEXTRACTED_END, end);
        return Launch.of(properties, null, null);
    }

    private static byte[] range(int from, int to) {
        byte[] bytes = new byte[to - from];
        for (int i = from; i < to; i++) bytes[i - from] = (byte) i;
        return bytes;
    }

    private static byte[] readAll(InputStream in) throws IOException {
        ByteArrayOutputStream out = new ByteArrayOutputStream();
        byte[] buffer = new byte[7];
        for (int n = in.read(buffer); n >= 0; n = in.read(buffer)) out.write(buffer, 0, n);
        return out.toByteArray();
    }

    @Test
    static void blockLiesBetweenItsBounds() throws IOException {
        Path file = installer();
        try {
            Object[][] cases = {
                // position, end, expected bytes
                {"10", null, range(10, 64)},
                {"10", "20", range(10, 20)},
                {"10", "10", new byte[0]},
                {"1", "64", range(1, 64)},
                {"63", null, range(63, 64)},
                {"64", null, new byte[0]},
            };
            for (Object[] c : cases) {
                try (InputStream in = launch(file, (String) c[0], (String) c[1]).openJavaBlock()) {
                    Check.equal(c[2], readAll(in), "position " + c[0] + ", end " + c[1]);
                    Check.equal(-1, in.read(), "position " + c[0] + ", end " + c[1] + ": a read after the end");
                }
            }
        } finally {
            Files.delete(file);
        }
    }

    @Test
    static void boundsThatDoNotFitAreRefused() throws IOException {
        Path file = installer();
        try {
            Object[][] cases = {
                {"65", null, "lantor.unextractedPosition (65) lies past the end of " + file + " (64 bytes)"},
                {"1000", "2000", "lantor.unextractedPosition (1000) lies past the end of " + file + " (64 bytes)"},
                {"10", "65", "lantor.unextractedEnd (65) lies past the end of " + file + " (64 bytes)"},
                {"20", "10", "lantor.unextractedEnd (10) lies before lantor.unextractedPosition (20)"},
                {"0", null, "lantor.unextractedPosition is 0: the launcher did not locate the Java-side block"},
                {null, null, "lantor.unextractedPosition is not set"},
                {"x", null, "lantor.unextractedPosition is not a decimal file offset: \"x\""},
                {"10", "end", "lantor.unextractedEnd is not a decimal file offset: \"end\""},
            };
            for (Object[] c : cases) {
                String what = "position " + c[0] + ", end " + c[1];
                IllegalStateException e = Check.fails(IllegalStateException.class,
                        () -> launch(file, (String) c[0], (String) c[1]).openJavaBlock().close(), what);
                Check.equal(c[2], e.getMessage(), what);
            }
            IllegalStateException e = Check.fails(IllegalStateException.class,
                    () -> launch(null, "10", null).openJavaBlock().close(), "no installer file");
            Check.equal("lantor.moduleName is not set", e.getMessage(), "no installer file");
        } finally {
            Files.delete(file);
        }
    }

    @Test
    static void missingInstallerFileIsAnIoError() throws IOException {
        Path file = installer();
        Files.delete(file);
        Check.fails(FileNotFoundException.class, () -> launch(file, "10", null).openJavaBlock().close(), "deleted file");
    }

    @Test
    static void streamReadsSkipsAndCountsWithinTheBlock() throws IOException {
        Path file = installer();
        try (InputStream in = launch(file, "10", "30").openJavaBlock()) {
            Check.equal(20, in.available(), "available at the start");
            Check.equal(10, in.read(), "first byte");
            Check.equal(5L, in.skip(5), "skipped");
            Check.equal(0L, in.skip(-3), "skipping back");
            Check.equal(16, in.read(), "byte after the skip");
            byte[] buffer = new byte[100];
            Arrays.fill(buffer, (byte) -1);
            Check.equal(0, in.read(buffer, 3, 0), "an empty read");
            Check.equal(13, in.read(buffer, 3, 97), "a read larger than the rest");
            Check.equal(range(17, 30), Arrays.copyOfRange(buffer, 3, 16), "the rest");
            Check.equal((byte) -1, buffer[16], "nothing written after the rest");
            Check.equal(0, in.available(), "available at the end");
            Check.equal(0L, in.skip(5), "skipping at the end");
            Check.equal(-1, in.read(buffer, 0, 10), "a read at the end");
            Check.fails(IndexOutOfBoundsException.class, () -> in.read(buffer, 95, 10), "a read beyond the buffer");
        } finally {
            Files.delete(file);
        }
    }
}
