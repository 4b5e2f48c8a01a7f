// The machine-dependent half of the JDK's jni.h for the Windows builds: the
// JDK on the build machine ships only the Linux one, with ELF visibility
// instead of dllexport and the default calling convention instead of the
// __stdcall that a Windows virtual machine's function tables use on i686.
#ifndef _JAVASOFT_JNI_MD_H_
#define _JAVASOFT_JNI_MD_H_

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;
typedef __int64 jlong;
typedef signed char jbyte;

#endif
