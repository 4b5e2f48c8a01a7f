package com.lantor.runtime;

import java.io.IOException;
import java.io.InputStream;
import java.io.RandomAccessFile;

/** Reads at most a given number of bytes of a file from its current position on, and closes the file. */
final class BoundedFileStream extends InputStream {
    private final RandomAccessFile file;
    private long remaining;

    BoundedFileStream(RandomAccessFile file, long length) {
        this.file = file;
        this.remaining = length;
    }

    @Override
    public int read() throws IOException {
        if (remaining <= 0) return -1;
        int value = file.read();
        if (value >= 0) remaining--;
        return value;
    }

    @Override
    public int read(byte[] buffer, int offset, int length) throws IOException {
        if (offset < 0 || length < 0 || length > buffer.length - offset) throw new IndexOutOfBoundsException();
        if (length == 0) return 0;
        if (remaining <= 0) return -1;
        int count = file.read(buffer, offset, (int) Math.min(length, remaining));
        if (count > 0) remaining -= count;
        return count;
    }

    @Override
    public long skip(long count) throws IOException {
        if (count <= 0) return 0;
        long skipped = Math.min(count, remaining);
        file.seek(file.getFilePointer() + skipped);
        remaining -= skipped;
        return skipped;
    }

    @Override
    public int available() {
        return (int) Math.min(remaining, Integer.MAX_VALUE);
    }

    @Override
    public void close() throws IOException {
        file.close();
    }
}
