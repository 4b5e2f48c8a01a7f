package com.lantor.runtime;

import java.nio.file.InvalidPathException;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.Collections;
import java.util.HashMap;
import java.util.Map;
import java.util.Optional;
import java.util.OptionalInt;
import java.util.OptionalLong;
import java.util.Properties;

/**
 * Typed reads of the launcher's "lantor." system properties. An absent
 * property reads as empty (or false for a flag); a value the launcher
 * would never write raises an IllegalStateException that names the
 * property and quotes the value, so that a mismatched launcher shows up
 * as such instead of as a NumberFormatException somewhere later.
 */
final class PropertyValues {
    private static final String PREFIX = "lantor.";

    private final Map<String, String> values;

    private PropertyValues(Map<String, String> values) {
        this.values = Collections.unmodifiableMap(values);
    }

    /** A snapshot of the "lantor." entries, so that later changes to the properties do not change the launch. */
    static PropertyValues snapshot(Properties properties) {
        Map<String, String> values = new HashMap<>();
        for (String name : properties.stringPropertyNames()) {
            if (name.startsWith(PREFIX)) values.put(name, properties.getProperty(name));
        }
        return new PropertyValues(values);
    }

    /** The value; absent or empty reads as empty. */
    Optional<String> text(String name) {
        String value = values.get(name);
        return value == null || value.isEmpty() ? Optional.<String>empty() : Optional.of(value);
    }

    Optional<Path> path(String name) {
        Optional<String> value = text(name);
        if (!value.isPresent()) return Optional.empty();
        try {
            return Optional.of(Paths.get(value.get()));
        } catch (InvalidPathException e) {
            throw malformed(name, "is not a usable path (" + e.getReason() + ")");
        }
    }

    /** "true" or "false"; absent reads as false. */
    boolean flag(String name) {
        return optionalFlag(name).orElse(false);
    }

    /** "true" or "false"; absent reads as empty. */
    Optional<Boolean> optionalFlag(String name) {
        String value = values.get(name);
        if (value == null) return Optional.empty();
        if (value.equals("true")) return Optional.of(true);
        if (value.equals("false")) return Optional.of(false);
        throw malformed(name, "must be \"true\" or \"false\"");
    }

    /** A file offset: decimal digits only. */
    OptionalLong offset(String name) {
        String value = values.get(name);
        if (value == null) return OptionalLong.empty();
        if (value.startsWith("-") && digits(value.substring(1))) throw malformed(name, "is a negative offset");
        if (!digits(value) || value.length() > 18) throw malformed(name, "is not a decimal file offset");
        return OptionalLong.of(Long.parseLong(value));
    }

    /** A code page written as "cp" and its number, such as "cp437". */
    OptionalInt codePage(String name) {
        String value = values.get(name);
        if (value == null) return OptionalInt.empty();
        String number = value.startsWith("cp") ? value.substring(2) : "";
        if (!digits(number) || number.length() > 9) throw malformed(name, "is not \"cp\" followed by a code page number");
        return OptionalInt.of(Integer.parseInt(number));
    }

    private static boolean digits(String text) {
        if (text.isEmpty()) return false;
        for (int i = 0; i < text.length(); i++) {
            if (text.charAt(i) < '0' || text.charAt(i) > '9') return false;
        }
        return true;
    }

    private IllegalStateException malformed(String name, String problem) {
        return new IllegalStateException(name + " " + problem + ": \"" + values.get(name) + "\"");
    }
}
