"""An independent reading of a built launcher's payload, for tests that
need to know which field lies at which offset: the PE arithmetic that finds
the payload start, and the span of every field up to the included files."""
import struct


class Field:
    def __init__(self, offset, size, read):
        self.offset = offset
        self.size = size
        self.read = read  # the reader primitive that reads this field

    def __repr__(self):
        return f"Field({self.offset}, {self.size}, {self.read})"


def headers(data):
    """The values the launcher logs while it finds its payload."""
    pe = struct.unpack_from("<i", data, 60)[0]
    sections = struct.unpack_from("<h", data, pe + 6)[0]
    optional = struct.unpack_from("<h", data, pe + 20)[0]
    entry = pe + 24 + optional + 40 * (sections - 1)
    raw_size, raw_offset = struct.unpack_from("<ii", data, entry + 16)
    return {"sections": sections, "optionalHeaderSize": optional, "sectionEntry": entry,
            "rawDataSize": raw_size, "rawDataOffset": raw_offset}


def payload_start(data):
    h = headers(data)
    return h["rawDataSize"] + h["rawDataOffset"]


def configuration_fields(data):
    """The fields of the configuration part, in file order, and the
    included-files position behind them."""
    offset = payload_start(data)
    fields = [Field(offset, 4, "readInt")]
    offset += 4
    for text_read in ("readString", "readWString"):
        count = struct.unpack_from("<i", data, offset)[0]
        fields.append(Field(offset, 4, "readInt"))
        offset += 4
        for _ in range(max(count, 0)):
            length = struct.unpack_from("<i", data, offset + 4)[0]
            fields += [Field(offset, 4, "readInt"), Field(offset + 4, 4, "readInt"),
                       Field(offset + 8, length, text_read)]
            offset += 8 + length
    return fields, offset


def read_at_cut(fields, cut):
    """The primitive whose read runs short when the file ends at cut."""
    for field in fields:
        if field.offset <= cut < field.offset + field.size:
            return field.read
    raise ValueError(f"no field at {cut}")


def record_texts(data):
    """The 8-bit records as {id: bytes}, the later of an id winning."""
    fields, _ = configuration_fields(data)
    texts = {}
    narrow = [f for f in fields if f.read == "readString"]
    for text_field in narrow:
        record_id = struct.unpack_from("<i", data, text_field.offset - 8)[0]
        texts[record_id] = data[text_field.offset:text_field.offset + text_field.size]
    return texts


def unextracted_position(data):
    """Where the launcher stops reading included files: behind as many
    entries as record 2002 counts and record 2003 names."""
    _, offset = configuration_fields(data)
    texts = record_texts(data)
    count = int(texts.get(2002, b"0") or b"0")
    names = [n for n in texts.get(2003, b"").split(b";") if n]
    for _ in range(min(count, len(names))):
        size = struct.unpack_from("<q", data, offset)[0]
        offset += 8 + max(size, 0)
    return offset
