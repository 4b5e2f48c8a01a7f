package com.lantor.runtime;

import java.io.IOException;
import java.io.InputStream;
import java.io.RandomAccessFile;
import java.nio.file.Path;
import java.util.OptionalLong;

/**
 * Opens the Java-side block of the installer file: the bytes behind the
 * included files, which the launcher never reads. Its bounds come from the
 * launcher; they are checked against the file before a byte is read.
 */
final class JavaBlock {
    private JavaBlock() {
    }

    static InputStream open(Path file, long start, OptionalLong end) throws IOException {
        // The image of the launcher itself starts at 0: a position of 0 is what the launcher passes when it
        // extracted nothing (no included files, or a language restart), not a place where a block can be.
        if (start == 0) {
            throw new IllegalStateException(Launch.UNEXTRACTED_POSITION
                    + " is 0: the launcher did not locate the Java-side block");
        }
        if (end.isPresent() && end.getAsLong() < start) {
            throw new IllegalStateException(Launch.UNEXTRACTED_END + " (" + end.getAsLong() + ") lies before "
                    + Launch.UNEXTRACTED_POSITION + " (" + start + ")");
        }
        RandomAccessFile input = new RandomAccessFile(file.toFile(), "r");
        try {
            long length = input.length();
            check(Launch.UNEXTRACTED_POSITION, start, file, length);
            if (end.isPresent()) check(Launch.UNEXTRACTED_END, end.getAsLong(), file, length);
            input.seek(start);
            return new BoundedFileStream(input, end.orElse(length) - start);
        } catch (IOException | RuntimeException e) {
            input.close();
            throw e;
        }
    }

    private static void check(String name, long offset, Path file, long length) {
        if (offset > length) {
            throw new IllegalStateException(name + " (" + offset + ") lies past the end of " + file + " (" + length
                    + " bytes)");
        }
    }
}
