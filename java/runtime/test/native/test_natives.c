/* Registers the launcher's native the way the launcher does (RegisterNatives
 * on com/lantor/runtime/LauncherNatives), counting its calls, and a probe
 * through which a test application reads the count. */
#include <jni.h>

static jint clearCalls;

static void JNICALL clearInstallStarted(JNIEnv *env, jclass type) {
    (void)env;
    (void)type;
    clearCalls++;
}

static jint JNICALL probeClearCalls(JNIEnv *env, jclass type) {
    (void)env;
    (void)type;
    return clearCalls;
}

static int registerOne(JNIEnv *env, const char *className, JNINativeMethod *method) {
    jclass type = (*env)->FindClass(env, className);
    return type != NULL && (*env)->RegisterNatives(env, type, method, 1) == JNI_OK;
}

JNIEXPORT jint JNICALL JNI_OnLoad(JavaVM *vm, void *reserved) {
    JNIEnv *env;
    JNINativeMethod launcher = {"clearInstallStarted", "()V", (void *)clearInstallStarted};
    JNINativeMethod probe = {"clearCalls", "()I", (void *)probeClearCalls};
    (void)reserved;
    if ((*vm)->GetEnv(vm, (void **)&env, JNI_VERSION_1_2) != JNI_OK) return JNI_ERR;
    if (!registerOne(env, "com/lantor/runtime/LauncherNatives", &launcher)) return JNI_ERR;
    if (!registerOne(env, "com/lantor/fixtures/NativeProbe", &probe)) return JNI_ERR;
    return JNI_VERSION_1_2;
}
