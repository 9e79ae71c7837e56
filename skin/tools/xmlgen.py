"""A tiny element tree with stable attribute order, for writing the skin XML."""


def _esc(s):
    return (str(s).replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
            .replace('"', "&quot;"))


def _esc_text(s):
    return str(s).replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


class El:
    def __init__(self, tag, children=None, content=None, **attrs):
        self.tag = tag
        self.attrs = {k.rstrip("_"): v for k, v in attrs.items() if v is not None}
        self.children = [c for c in (children or []) if c is not None]
        self.content = content

    def add(self, *children):
        self.children.extend(c for c in children if c is not None)
        return self

    def render(self, indent=0, out=None):
        out = [] if out is None else out
        pad = "  " * indent
        attrs = "".join(' %s="%s"' % (k, _esc(v)) for k, v in self.attrs.items())
        if self.content is not None:
            out.append("%s<%s%s>%s</%s>" % (pad, self.tag, attrs, _esc_text(self.content), self.tag))
        elif not self.children:
            out.append("%s<%s%s/>" % (pad, self.tag, attrs))
        else:
            out.append("%s<%s%s>" % (pad, self.tag, attrs))
            for c in self.children:
                if isinstance(c, str):
                    out.append(pad + "  " + c)
                else:
                    c.render(indent + 1, out)
            out.append("%s</%s>" % (pad, self.tag))
        return out


def E(tag, *children, **attrs):
    flat = []
    for c in children:
        if isinstance(c, (list, tuple)):
            flat.extend(c)
        else:
            flat.append(c)
    return El(tag, flat, **attrs)


def document(root, comment):
    lines = ['<?xml version="1.0" encoding="UTF-8"?>', "<!-- %s -->" % comment]
    lines += root.render()
    return "\n".join(lines) + "\n"


def attr_list(**attrs):
    """The single-quoted attribute list used by <Default value=...> and <Style value=...>."""
    # A value that holds single quotes itself (an image with options) goes in double quotes.
    return " ".join(("%s=\"%s\"" if "'" in str(v) else "%s='%s'") % (k.rstrip("_"), v)
                    for k, v in attrs.items())
