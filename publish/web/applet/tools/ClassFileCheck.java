import java.io.DataInputStream;
import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.util.ArrayList;
import java.util.List;
import java.util.Set;
import java.util.TreeSet;
import java.util.regex.Matcher;
import java.util.regex.Pattern;

/**
 * Checks that class files can run on a Java 1.1 virtual machine: class file
 * format 45.3, and every class and library member they refer to on the
 * allow-list of Java 1.1 API. A member that a class of the archive inherits
 * from the library is referred to through that class and is not seen here.
 *
 * Usage: java ClassFileCheck.java ALLOW-LIST CLASS-FILE...
 *        java ClassFileCheck.java --list CLASS-FILE...   (prints what they refer to)
 *
 * Allow-list lines: "java/lang/String" (a class) or
 * "java/lang/String.getBytes:(Ljava/lang/String;)[B" (a member); "#" starts a comment.
 */
public class ClassFileCheck {
    private static final Pattern CLASS_IN_DESCRIPTOR = Pattern.compile("L([^;<]+);");

    /** What one class file is and refers to. */
    record ClassFile(String name, int major, int minor, Set<String> classes, Set<String> members) {}

    public static void main(String[] args) throws IOException {
        boolean list = args.length > 0 && args[0].equals("--list");
        if (args.length < 2) {
            System.err.println("usage: ClassFileCheck (ALLOW-LIST | --list) CLASS-FILE...");
            System.exit(2);
        }
        List<ClassFile> files = new ArrayList<>();
        Set<String> own = new TreeSet<>();
        for (int i = 1; i < args.length; i++) {
            ClassFile file = Read(Path.of(args[i]));
            files.add(file);
            own.add(file.name());
        }

        Set<String> allowed = list ? Set.of() : ReadAllowList(Path.of(args[0]));
        Set<String> referred = new TreeSet<>();
        List<String> faults = new ArrayList<>();
        for (ClassFile file : files) {
            if (file.major() != 45 || file.minor() != 3) {
                faults.add(file.name() + ": class file format " + file.major() + "." + file.minor()
                        + ", not 45.3");
            }
            for (String name : file.classes()) {
                if (!own.contains(name)) {
                    referred.add(name);
                    if (!list && !allowed.contains(name)) {
                        faults.add(file.name() + ": refers to " + name + ", not Java 1.1 API");
                    }
                }
            }
            for (String member : file.members()) {
                if (!own.contains(member.substring(0, member.indexOf('.')))) {
                    referred.add(member);
                    if (!list && !allowed.contains(member)) {
                        faults.add(file.name() + ": uses " + member + ", not Java 1.1 API");
                    }
                }
            }
        }

        if (list) {
            referred.forEach(System.out::println);
            return;
        }
        if (!faults.isEmpty()) {
            faults.forEach(fault -> System.err.println("ClassFileCheck: " + fault));
            System.exit(1);
        }
    }

    private static Set<String> ReadAllowList(Path path) throws IOException {
        Set<String> allowed = new TreeSet<>();
        for (String line : Files.readAllLines(path)) {
            int comment = line.indexOf('#');
            String entry = (comment >= 0 ? line.substring(0, comment) : line).trim();
            if (!entry.isEmpty()) {
                allowed.add(entry);
            }
        }
        return allowed;
    }

    private static ClassFile Read(Path path) throws IOException {
        try (DataInputStream in = new DataInputStream(Files.newInputStream(path))) {
            if (in.readInt() != 0xCAFEBABE) {
                throw new IOException(path + ": not a class file");
            }
            int minor = in.readUnsignedShort();
            int major = in.readUnsignedShort();

            int count = in.readUnsignedShort();
            int[] tags = new int[count];
            String[] utf8 = new String[count];
            int[] first = new int[count];
            int[] second = new int[count];
            for (int i = 1; i < count; i++) {
                tags[i] = in.readUnsignedByte();
                switch (tags[i]) {
                    case 1 -> utf8[i] = in.readUTF();
                    case 3, 4 -> in.readInt();
                    case 5, 6 -> {
                        in.readLong();
                        i++; // these take two entries
                    }
                    case 7, 8 -> first[i] = in.readUnsignedShort();
                    case 9, 10, 11, 12 -> {
                        first[i] = in.readUnsignedShort();
                        second[i] = in.readUnsignedShort();
                    }
                    default -> throw new IOException(path + ": constant pool tag " + tags[i]
                            + ", unknown to the 45.3 format");
                }
            }
            in.readUnsignedShort(); // access flags
            String name = utf8[first[in.readUnsignedShort()]];

            Set<String> classes = new TreeSet<>();
            Set<String> members = new TreeSet<>();
            for (int i = 1; i < count; i++) {
                switch (tags[i]) {
                    case 7 -> AddClass(utf8[first[i]], classes);
                    case 9, 10, 11 -> {
                        int nameAndType = second[i];
                        String member = utf8[first[first[i]]] + "." + utf8[first[nameAndType]] + ":"
                                + utf8[second[nameAndType]];
                        members.add(member);
                    }
                    case 1 -> AddDescriptorClasses(utf8[i], classes);
                    default -> {}
                }
            }
            return new ClassFile(name, major, minor, classes, members);
        }
    }

    /* A class entry names a class, or an array type by its descriptor. */
    private static void AddClass(String name, Set<String> classes) {
        if (name.startsWith("[")) {
            AddDescriptorClasses(name, classes);
        } else {
            classes.add(name);
        }
    }

    /*
     * Classes named in descriptors (field types, parameters, results). Other
     * UTF-8 entries may match too (a string constant that happens to look like
     * "Lx;"), which makes the check stricter, never laxer.
     */
    private static void AddDescriptorClasses(String text, Set<String> classes) {
        if (!text.startsWith("(") && !text.startsWith("L") && !text.startsWith("[")) {
            return;
        }
        Matcher matcher = CLASS_IN_DESCRIPTOR.matcher(text);
        while (matcher.find()) {
            classes.add(matcher.group(1));
        }
    }
}
