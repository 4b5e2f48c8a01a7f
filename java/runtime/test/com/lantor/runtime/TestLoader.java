package com.lantor.runtime;

import java.io.ByteArrayOutputStream;
import java.io.IOException;
import java.io.InputStream;

/**
 * Defines one class from the class path itself, instead of asking its
 * parent: with its class file's major version raised beyond any runtime's
 * (a class built for a newer Java), or with one other class hidden from it
 * (a library missing from the class path).
 */
final class TestLoader extends ClassLoader {
    private final String definedHere;
    private final boolean newerClassVersion;
    private final String hidden;

    TestLoader(String definedHere, boolean newerClassVersion, String hidden) {
        super(TestLoader.class.getClassLoader());
        this.definedHere = definedHere;
        this.newerClassVersion = newerClassVersion;
        this.hidden = hidden;
    }

    @Override
    protected Class<?> loadClass(String name, boolean resolve) throws ClassNotFoundException {
        if (name.equals(hidden)) throw new ClassNotFoundException(name);
        if (!name.equals(definedHere)) return super.loadClass(name, resolve);
        byte[] bytes = classBytes(name);
        if (newerClassVersion) {
            bytes[6] = 0x00;
            bytes[7] = 0x7f;
        }
        return defineClass(name, bytes, 0, bytes.length);
    }

    private byte[] classBytes(String name) throws ClassNotFoundException {
        try (InputStream in = getParent().getResourceAsStream(name.replace('.', '/') + ".class")) {
            if (in == null) throw new ClassNotFoundException(name);
            ByteArrayOutputStream out = new ByteArrayOutputStream();
            byte[] buffer = new byte[8192];
            for (int n = in.read(buffer); n > 0; n = in.read(buffer)) out.write(buffer, 0, n);
            return out.toByteArray();
        } catch (IOException e) {
            throw new ClassNotFoundException(name, e);
        }
    }
}
