package com.lantor.runtime;

import java.lang.reflect.InvocationTargetException;
import java.lang.reflect.Method;
import java.lang.reflect.Modifier;
import java.util.Arrays;

/** Finds the application's public static void main(String[]) and calls it. */
final class ApplicationMain {
    private static final Class<?>[] MAIN_PARAMETERS = {String[].class};

    private final Method main;

    private ApplicationMain(Method main) {
        this.main = main;
    }

    /**
     * Loads the class without initialising it, as java does: its static
     * initialiser is the application's own code and runs when main is
     * called, where its failures are the application's.
     */
    static ApplicationMain find(String className, ClassLoader loader) throws LaunchFailure {
        Class<?> type;
        try {
            type = Class.forName(className, false, loader);
        } catch (ClassNotFoundException e) {
            throw new LaunchFailure(WinLauncher.EXIT_MAIN_CLASS_NOT_LOADED, "the application main class " + className
                    + " was not found on the class path (" + System.getProperty("java.class.path") + ")");
        } catch (LinkageError e) {
            throw notLoaded(className, e);
        }
        try {
            return new ApplicationMain(mainMethod(type));
        } catch (LinkageError e) {
            // Listing the methods loads the classes of their signatures: a library missing from the class path.
            throw notLoaded(className, e);
        }
    }

    private static LaunchFailure notLoaded(String className, LinkageError e) {
        return new LaunchFailure(WinLauncher.EXIT_MAIN_CLASS_NOT_LOADED,
                "the application main class " + className + " could not be loaded: " + e);
    }

    private static Method mainMethod(Class<?> type) throws LaunchFailure {
        String name = type.getName() + ".main(String[])";
        Method main;
        try {
            main = type.getMethod("main", MAIN_PARAMETERS);
        } catch (NoSuchMethodException e) {
            throw noMain(declaresMain(type) ? name + " is not public"
                    : type.getName() + " has no method public static void main(String[])");
        }
        if (!Modifier.isStatic(main.getModifiers())) throw noMain(name + " is not static");
        if (main.getReturnType() != void.class) throw noMain(name + " does not return void");
        if (!Modifier.isPublic(main.getDeclaringClass().getModifiers())) {
            // java calls main in a class that is not public as well; on the class path that is always allowed.
            main.setAccessible(true);
        }
        return main;
    }

    private static boolean declaresMain(Class<?> type) {
        for (Class<?> c = type; c != null; c = c.getSuperclass()) {
            for (Method method : c.getDeclaredMethods()) {
                if (method.getName().equals("main") && Arrays.equals(method.getParameterTypes(), MAIN_PARAMETERS)) {
                    return true;
                }
            }
        }
        return false;
    }

    private static LaunchFailure noMain(String message) {
        return new LaunchFailure(WinLauncher.EXIT_NO_MAIN_METHOD, message);
    }

    /** Calls main; whatever main throws leaves this method unchanged, not wrapped by reflection. */
    void call(String[] arguments) throws Throwable {
        try {
            main.invoke(null, (Object) arguments);
        } catch (InvocationTargetException e) {
            throw e.getCause();
        }
    }
}
