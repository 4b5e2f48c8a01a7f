package com.lantor.runtime;

/**
 * Why the application could not be started: the message for the error
 * stream and the exit code the launch ends with. Raised only before the
 * application's main is entered, so it never stands for the application's
 * own failures.
 */
final class LaunchFailure extends Exception {
    private static final long serialVersionUID = 1L;

    private final int exitCode;

    LaunchFailure(int exitCode, String message) {
        super(message);
        this.exitCode = exitCode;
    }

    int exitCode() {
        return exitCode;
    }
}
