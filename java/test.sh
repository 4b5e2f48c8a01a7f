#!/usr/bin/env bash
# Runs the Java side's tests (build them with java/build.sh or make dist):
# the library in this virtual machine and in child ones, the sample
# application on the machine's OpenJDK as the launcher calls it, and the
# jars' bytes. Arguments pick tests whose "Class.method" contains one.
set -euo pipefail
cd "$(dirname "$0")/.."

jdk=${JDK_HOME:-/usr/lib/jvm/java-17-openjdk-amd64}
# Arguments outside ASCII reach a child virtual machine intact only under a UTF-8 locale.
export LC_ALL=C.UTF-8
exec "$jdk/bin/java" -cp "$PWD/dist/lantor-runtime.jar:$PWD/build/java/tests" \
  -Dtest.runtimeJar="$PWD/dist/lantor-runtime.jar" -Dtest.sampleJar="$PWD/build/java/hello.jar" \
  -Dtest.nativeLibrary="$PWD/build/java/libltr_test_natives.so" \
  com.lantor.runtime.TestMain "$@"
