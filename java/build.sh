#!/usr/bin/env bash
# Builds the Java side with the machine's JDK: the runtime library
# dist/lantor-runtime.jar (classes for Java 8, so that every runtime the
# launcher loads takes them), the sample application build/java/hello.jar,
# and the library's tests with their JNI helper. Quiet when nothing in
# java/ changed; the whole output when something fails.
#   JAVA_BUILD_DIR (build/java) and RUNTIME_JAR (dist/lantor-runtime.jar)
#   put the products elsewhere.
set -euo pipefail
cd "$(dirname "$0")/.."

jdk=${JDK_HOME:-/usr/lib/jvm/java-17-openjdk-amd64}
out=${JAVA_BUILD_DIR:-build/java}
jar=${RUNTIME_JAR:-dist/lantor-runtime.jar}
natives=$out/libltr_test_natives.so

up_to_date() {
  local product
  [ -f "$out/stamp" ] || return 1
  for product in "$jar" "$out/hello.jar" "$out/tests" "$natives"; do
    [ -e "$product" ] || return 1
  done
  [ -z "$(find java -newer "$out/stamp" -print -quit)" ]
}
up_to_date && exit 0

run() {
  local output
  if ! output=$("$@" 2>&1); then
    echo "$output"
    return 1
  fi
  [ -z "$output" ] || echo "$output"
}

# compile CLASSES_DIR SOURCE_DIR [javac options]: every .java of the directory, in a fixed order.
compile() {
  local classes=$1 sources=$2
  shift 2
  local files
  mapfile -t files < <(find "$sources" -name '*.java' | LC_ALL=C sort)
  rm -rf "$classes"
  mkdir -p "$classes"
  run "$jdk/bin/javac" -encoding UTF-8 -Xlint:all -d "$classes" "$@" "${files[@]}"
}

mkdir -p "$out" "$(dirname "$jar")"
# Taken before the build, so that a source changed meanwhile is built next time.
touch "$out/stamp.next"

compile "$out/runtime" java/runtime/src --release 8
python3 java/make_jar.py "$out/runtime" "$jar" "Automatic-Module-Name: com.lantor.runtime"

compile "$out/hello" java/sample/src --release 8 -cp "$out/runtime"
python3 java/make_jar.py "$out/hello" "$out/hello.jar"

compile "$out/tests" java/runtime/test -cp "$out/runtime"
run cc -shared -fPIC -O2 -Wall -Wextra -I"$jdk/include" -I"$jdk/include/linux" \
  -o "$natives" java/runtime/test/native/test_natives.c

mv "$out/stamp.next" "$out/stamp"
