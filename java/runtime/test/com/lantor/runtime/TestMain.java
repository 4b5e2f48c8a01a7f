package com.lantor.runtime;

import java.lang.reflect.InvocationTargetException;
import java.lang.reflect.Method;
import java.lang.reflect.Modifier;
import java.util.Arrays;
import java.util.Comparator;
import java.util.List;

/**
 * Runs every @Test method of the test classes, in name order, each
 * failure with its reason, and ends with one line of totals. Arguments,
 * when given, pick the tests whose "Class.method" name contains one of them.
 */
public final class TestMain {
    private static final List<Class<?>> SUITES = Arrays.asList(WinLauncherTest.class, LaunchTest.class,
            JavaBlockTest.class, ExitCodeTest.class, HostCheckTest.class, JarTest.class);

    private TestMain() {
    }

    public static void main(String[] args) {
        int passed = 0;
        int failed = 0;
        for (Class<?> suite : SUITES) {
            Method[] methods = suite.getDeclaredMethods();
            Arrays.sort(methods, Comparator.comparing(Method::getName));
            for (Method method : methods) {
                String name = suite.getSimpleName() + "." + method.getName();
                if (!method.isAnnotationPresent(Test.class) || !picked(name, args)) continue;
                if (run(name, method)) passed++;
                else failed++;
            }
        }
        System.out.println(passed + " passed, " + failed + " failed");
        System.exit(failed == 0 ? 0 : 1);
    }

    private static boolean picked(String name, String[] patterns) {
        if (patterns.length == 0) return true;
        for (String pattern : patterns) {
            if (name.contains(pattern)) return true;
        }
        return false;
    }

    private static boolean run(String name, Method method) {
        if (!Modifier.isStatic(method.getModifiers()) || method.getParameterCount() != 0) {
            System.out.println("FAILED " + name + ": a test must be static and take no parameters");
            return false;
        }
        try {
            method.setAccessible(true);
            method.invoke(null);
            System.out.println("ok     " + name);
            return true;
        } catch (InvocationTargetException e) {
            System.out.println("FAILED " + name + ": " + e.getCause());
            StackTraceElement[] trace = e.getCause().getStackTrace();
            for (StackTraceElement frame : trace) {
                if (frame.getClassName().startsWith("java.lang.reflect")) break;
                System.out.println("         at " + frame);
            }
            return false;
        } catch (IllegalAccessException e) {
            System.out.println("FAILED " + name + ": " + e);
            return false;
        }
    }
}
