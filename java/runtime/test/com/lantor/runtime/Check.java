package com.lantor.runtime;

import java.util.Arrays;
import java.util.Objects;

/** Assertions that say what was expected, what came, and in which case. */
final class Check {
    interface Action {
        void run() throws Throwable;
    }

    private Check() {
    }

    static void equal(Object expected, Object actual, String what) {
        boolean same = expected instanceof Object[] && actual instanceof Object[]
                ? Arrays.deepEquals((Object[]) expected, (Object[]) actual)
                : expected instanceof byte[] && actual instanceof byte[]
                        ? Arrays.equals((byte[]) expected, (byte[]) actual)
                        : Objects.equals(expected, actual);
        if (!same) {
            throw new AssertionError(what + ": expected <" + shown(expected) + "> but was <" + shown(actual) + ">");
        }
    }

    static void isTrue(boolean condition, String what) {
        if (!condition) throw new AssertionError(what);
    }

    /** Runs the action and answers what it threw, which must be of the given type. */
    static <T extends Throwable> T fails(Class<T> type, Action action, String what) {
        try {
            action.run();
        } catch (Throwable thrown) {
            if (type.isInstance(thrown)) return type.cast(thrown);
            throw new AssertionError(what + ": expected " + type.getName() + " but got " + thrown, thrown);
        }
        throw new AssertionError(what + ": expected " + type.getName() + " but nothing was thrown");
    }

    private static String shown(Object value) {
        if (value instanceof Object[]) return Arrays.deepToString((Object[]) value);
        if (value instanceof byte[]) return Arrays.toString((byte[]) value);
        return String.valueOf(value);
    }
}
