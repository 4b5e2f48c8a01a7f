#include "builder/record_docs.h"

namespace {

constexpr RecordKind E = RecordKind::eightBit;
constexpr RecordKind W = RecordKind::wide;
constexpr RecordValue T = RecordValue::text;
constexpr RecordValue I = RecordValue::integer;
constexpr RecordValue S = RecordValue::size;

}  // namespace

const std::vector<RecordDoc>& recordDocs() {
  static const std::vector<RecordDoc> docs = {
      {E, 101, "applicationName", T, "Display name of the installed application. Not read by the launcher.", "nothing", "\"Example Suite\"", false},
      {E, 102, "useArgument3File", I, "When not 0, launcher argument 3 for the Java side is the absolute path of record 103.", "0: argument 3 is empty", "1", false},
      {E, 103, "argument3File", T, "File for launcher argument 3, relative to the launcher's directory; variables are substituted.", "empty", "\"setup.properties\"", false},
      {E, 104, "useArgument4File", I, "When not 0, launcher argument 4 is the absolute path of record 105.", "0: argument 4 is empty", "1", false},
      {E, 105, "argument4File", T, "File for launcher argument 4, like record 103.", "empty", "\"response.varfile\"", false},
      {E, 106, "argument5Flag", I, "When not 0, launcher argument 5 is \"true\", else \"false\".", "0", "1", false},
      {E, 107, "launcherType", I, "Launcher type: 1 and 5 show errors as message boxes (any other value: on the error stream); 1 also makes launcher argument 1 \"true\", prefers javaw.exe and looks for no console window.", "0: errors on the error stream", "1", false},
      {E, 121, "classPath", T, "Class path entries, \";\"-separated; each a kind letter (S: every .jar and .zip of a directory, D: a directory, A: an archive, E: an environment variable), a mandatory flag (1 = mandatory) and the path or variable name.", "no entries beyond the work directory's .jar files", "\"A0lib\\\\extra.jar;E0MY_CLASSES\"", false},
      {E, 122, "mainClass", T, "Main class handed to the Java side.", "empty", "\"com.example.Setup\"", false},
      {E, 123, "vmParameters", T, "VM options, separated by blanks; double quotes or apostrophes group; variables are substituted.", "no options", "\"-Xmx512m -Dexample.home=${launcher:sys.launcherDirectory}\"", false},
      {E, 124, "applicationArguments", T, "Arguments inserted behind the first command-line argument; variables are substituted.", "none", "\"--mode gui\"", false},
      {E, 125, "jArgumentsAsVmOptions", I, "When not 0, command-line arguments that begin with -J become VM options and are not passed to the application.", "0", "1", false},
      {E, 126, "minJavaVersion", T, "Minimum Java version, compared over the length of this value.", "no lower bound", "\"1.8\"", false},
      {E, 127, "maxJavaVersion", T, "Maximum Java version, compared likewise.", "no upper bound", "\"17\"", false},
      {E, 128, "jvmSearchSequence", T, "Runtime search sequence: \";\"-separated entries, each a type letter and its argument.", "the fixed steps only", "\"EMY_JAVA_HOME;R\"", false},
      {E, 130, "allowPrereleaseJava", I, "When not 0, runtimes whose version holds \"beta\", \"ea\" or \"rc\" are accepted.", "0", "1", false},
      {E, 131, "requireJdk", I, "When not 0, only a JDK qualifies.", "0", "1", false},
      {E, 146, "workingDirectory", T, "Working directory at the start, relative to the launcher's directory.", "no change", "\"..\"", false},
      {E, 150, "jreDownloadUrl", T, "Location of a runtime archive to download when none is found; an empty text offers no download.", "no download offered", "\"http://downloads.example.com/jre.tar.gz\"", false},
      {E, 151, "includedJreSize", S, "Uncompressed size in bytes of the included runtime archive's tar stream; scales the progress bar.", "0: the bar does not move while unpacking", "117000000", false},
      {E, 152, "preferredJvmVariant", T, "Subdirectory of the runtime's bin directory whose jvm.dll is tried first (at most 199 characters).", "client, then server", "\"server\"", false},
      {E, 153, "packedJre", I, "When not 0, the included runtime's large jars are pack200 files, restored after unpacking.", "0", "1", false},
      {E, 155, "windowOnDemand", I, "When not 0, no progress window is shown unless a runtime has to be asked for.", "0: the progress window shows", "1", false},
      {E, 1000, "errorCaption", T, "Caption of the 8-bit error message boxes.", "an empty caption", "\"Error\"", false},
      {E, 1005, "msgJvmStartFailed", T, "Message when the virtual machine cannot be started.", "an empty message", "\"The JVM could not be started. The main method may have thrown an exception.\"", false},
      {E, 1006, "msgFileNotFound", T, "Message when a mandatory class path entry is missing; {0} is its path.", "an empty message", "\"File or directory {0} not found or empty\"", false},
      {E, 1007, "msgWrongParameterUsage", T, "Message for a wrong use of the command line.", "an empty message", "\"Wrong Parameter Usage\"", false},
      {E, 1008, "msgVariableUndefined", T, "Message when a mandatory environment variable is not defined; {0} is its name.", "an empty message", "\"The environment variable {0} has to be defined\"", false},
      {E, 1009, "msgInternalError", T, "Message of an internal error; {0} is its code.", "an empty message", "\"An internal error occurred (error code: {0})\"", false},
      {E, 1010, "msgMainClassNotLoaded", T, "Message when the main class cannot be loaded.", "an empty message", "\"Couldn't load main class.\"", false},
      {E, 1011, "msgMainMethodNotFound", T, "Message when the main class has no main method.", "an empty message", "\"Main method not found.\"", false},
      {E, 1015, "msgPoweruserRequired", T, "Message when the user's rights do not suffice.", "an empty message", "\"You must be at least Poweruser to run this program.\"", false},
      {E, 1016, "msgNoJvmFound", T, "Message when no runtime is found; {0} is the bit width.", "an empty message", "\"No {0}-bit Java runtime was found. Define LANTOR_JAVA_HOME or install one.\"", false},
      {E, 1018, "msgJavaHomeNotWorking", T, "Message when the runtime variable does not point to a working runtime; {0} is the variable.", "an empty message", "\"The environment variable {0} does not point to a working JDK or JRE.\"", false},
      {E, 1020, "msgJvmDamaged", T, "Message when the runtime found is damaged; {0} is its location.", "an empty message", "\"The JVM found at {0} is damaged.\"", false},
      {E, 2001, "launcherKind", T, "Launcher kind, by its first character: \"i\" an installer launcher, \"e\" an application launcher.", "neither kind", "\"i\"", false},
      {E, 2002, "includedFileCount", I, "Number of included files.", "0", "2", true},
      {E, 2003, "includedFileNames", T, "Names of the included files, each followed by \";\".", "empty", "\"a.jar;b.jar;\"", true},
      {E, 10003, "quarrowDirectory", T, "Directory that holds the .quarrow folder (first-run mark, preferred-runtime files), relative to the launcher's directory.", "the launcher's directory", "\"data\"", false},
      {E, 10004, "nativeLibraryPath", T, "Native library directories, \";\"-separated, put in front of PATH.", "PATH unchanged", "\"lib\\\\native\"", false},
      {E, 10005, "passProcessCommFile", I, "When not 0, the property lantor.processCommFile is passed to the Java side.", "0", "1", false},
      {E, 10123, "splashScreen", I, "Splash screen switch; this launcher shows no splash screen, so it has no effect.", "0", "0", false},
      {W, 20001, "downloadNotice", T, "Notice shown while a runtime is downloaded.", "an empty text", "\"Downloading a Java runtime\"", false},
      {W, 20002, "errInternetInit", T, "Error when the Internet functions cannot be used.", "an empty message", "\"The Internet functions are missing.\"", false},
      {W, 20003, "errDownloadFailed", T, "Error when the runtime download fails.", "an empty message", "\"The download failed.\"", false},
      {W, 20004, "locateTitle", T, "Title of the java.exe file chooser.", "an empty title", "\"Where is java.exe?\"", false},
      {W, 20005, "questionWithDownload", T, "Runtime question when a download is offered; %S becomes the bit width.", "an empty question", "\"No %S-bit Java runtime was found. Download one?\"", false},
      {W, 20006, "questionWithoutDownload", T, "Runtime question when no download is offered; %S becomes the bit width.", "an empty question", "\"No %S-bit Java runtime was found on this computer.\"", false},
      {W, 20007, "progressText", T, "Text of the progress window while it prepares.", "an empty text", "\"Preparing the setup wizard\"", false},
      {W, 20008, "downloadStatus", T, "Download status line: %f megabytes received, %e in all, %g percent, then the speed in kb/s.", "an empty line", "\"%.1f of %.1f MB (%.0f%%), %.1f kb/s\"", false},
      {W, 20009, "downloadConnecting", T, "Download status while connecting.", "an empty line", "\"Connecting...\"", false},
      {W, 20010, "labelDownload", T, "Label of the Download button.", "an empty label", "\"Download\"", false},
      {W, 20011, "labelLocate", T, "Label of the Locate button.", "an empty label", "\"Locate...\"", false},
      {W, 20012, "labelCancel", T, "Label of the Cancel button.", "an empty label", "\"Cancel\"", false},
      {W, 20013, "caption", T, "Caption of the progress window, the runtime question and every wide message box.", "an empty caption", "\"Example Setup\"", false},
      {W, 20014, "errJvmNotStarted", T, "Error when the Java side showed no window in time; suggests the /manual switch.", "an empty message", "\"The setup wizard did not start.\"", false},
      {W, 20015, "questionUnfinishedRun", T, "Question at the start when the previous run did not finish (Yes: choose the runtime by hand).", "an empty question", "\"The last setup did not finish. Choose the Java runtime by hand?\"", false},
      {W, 20016, "errCorrupted", T, "Error when the installer file is corrupted.", "an empty message", "\"The installer file is corrupted.\"", false},
      {W, 20018, "errDiskSpace", T, "Error when the disk is full.", "an empty message", "\"There is not enough disk space.\"", false},
      {W, 20019, "minVersionPrefix", T, "Label of the minimum version in the runtime question.", "an empty label", "\"at least\"", false},
      {W, 20020, "maxVersionPrefix", T, "Label of the maximum version in the runtime question.", "an empty label", "\"at most\"", false},
  };
  return docs;
}

const RecordDoc* recordDoc(RecordKind kind, int32_t id) {
  for (const RecordDoc& doc : recordDocs())
    if (doc.kind == kind && doc.id == id) return &doc;
  return nullptr;
}
