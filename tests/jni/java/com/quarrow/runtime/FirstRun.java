package com.quarrow.runtime;

import com.lantor.runtime.WinLauncher;

/** Stands in for the first-run hook: -Dtest.firstRun=true|false|throw. */
public final class FirstRun {
    public static boolean firstRun() throws Exception {
        WinLauncher.report("firstRun");
        String answer = System.getProperty("test.firstRun", "true");
        if (answer.equals("throw")) throw new IllegalStateException("first run failed on purpose");
        return answer.equals("true");
    }
}
