"""LUMO Audio Player from Python, through the C API of liblumo (ctypes only).

    import lumo
    audio = lumo.create()                     # LUMOAudioPlayer.cLUMOAudio
    audio.Volume = 40                         # property assignment
    print(audio.Version())                    # property read
    volume, balance = lumo.Ref(0), lumo.Ref(0)
    audio.InitializeVolBal(volume, balance)   # by-reference arguments
    print(volume.value, balance.value)
    audio.DoPlay()
    audio.Position = 30                       # seeks (the extension _cLUMOAudioEx)
    cookie = audio.advise(lambda event, *args: print(event, args))
    audio.DoEvents(5000)                      # events arrive while it runs
    audio.unadvise(cookie)

Operations and properties are found by name, in any case. An argument the
operation takes by reference is passed as a Ref and holds the operation's
value for it afterwards. Failures raise lumo.Error with the code and the
sentence the component gave. Use an object on the thread that created it.

The library is found as LUMO_CLIENT_LIBRARY names it, else as "liblumo.so.0"
through the system's library search.
"""

import ctypes
import os

__all__ = ["Error", "Ref", "Object", "create", "PROGID"]

PROGID = "LUMOAudioPlayer.cLUMOAudio"

_EMPTY, _INT32, _DOUBLE, _STRING, _OBJECT, _BOOL = 0, 3, 5, 8, 9, 11

_lib = None

# int callback(void* user_data, const char* event, const lumo_variant* const* arguments, size_t count)
_EventCallback = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_char_p, ctypes.POINTER(ctypes.c_void_p),
                                  ctypes.c_size_t)


def _library():
    global _lib
    if _lib is not None:
        return _lib
    lib = ctypes.CDLL(os.environ.get("LUMO_CLIENT_LIBRARY") or "liblumo.so.0")
    p, i32, vp = ctypes.c_char_p, ctypes.c_int32, ctypes.c_void_p
    for name, result, arguments in [
        ("lumo_create", i32, [p, ctypes.POINTER(vp)]),
        ("lumo_add_ref", None, [vp]),
        ("lumo_release", None, [vp]),
        ("lumo_call", i32, [vp, p, ctypes.POINTER(vp), ctypes.c_size_t, vp]),
        ("lumo_set", i32, [vp, p, vp]),
        ("lumo_last_error", p, []),
        ("lumo_last_error_argument", i32, []),
        ("lumo_variant_new", vp, []),
        ("lumo_variant_free", None, [vp]),
        ("lumo_variant_type", ctypes.c_int, [vp]),
        ("lumo_variant_set_empty", None, [vp]),
        ("lumo_variant_set_int32", None, [vp, i32]),
        ("lumo_variant_set_double", None, [vp, ctypes.c_double]),
        ("lumo_variant_set_bool", None, [vp, ctypes.c_int]),
        ("lumo_variant_set_string", None, [vp, p]),
        ("lumo_variant_set_object", None, [vp, vp]),
        ("lumo_variant_get_int32", i32, [vp, ctypes.POINTER(i32)]),
        ("lumo_variant_get_double", i32, [vp, ctypes.POINTER(ctypes.c_double)]),
        ("lumo_variant_get_bool", i32, [vp, ctypes.POINTER(ctypes.c_int)]),
        ("lumo_variant_get_string", p, [vp]),
        ("lumo_variant_get_object", vp, [vp]),
        ("lumo_advise", i32, [vp, _EventCallback, vp, ctypes.POINTER(ctypes.c_uint32)]),
        ("lumo_unadvise", i32, [vp, ctypes.c_uint32]),
    ]:
        function = getattr(lib, name)
        function.restype = result
        function.argtypes = arguments
    _lib = lib
    return lib


class Error(Exception):
    """A failed call: `code` is the result code (negative), `argument` the
    position of the argument that did not convert, or -1."""

    def __init__(self, code, message, argument=-1):
        super().__init__(f"{message} (0x{code & 0xFFFFFFFF:08X})")
        self.code = code
        self.argument = argument


def _check(code):
    if code < 0:
        lib = _library()
        raise Error(code, lib.lumo_last_error().decode("utf-8", "replace"), lib.lumo_last_error_argument())
    return code


class Ref:
    """A by-reference argument: its value goes in and comes back changed."""

    def __init__(self, value=None):
        self.value = value

    def __repr__(self):
        return f"Ref({self.value!r})"


class _Variant:
    def __init__(self, value=None):
        self.handle = _library().lumo_variant_new()
        if not self.handle:
            raise MemoryError("no variant")
        self.set(value)

    def set(self, value):
        lib, h = _library(), self.handle
        if value is None:
            lib.lumo_variant_set_empty(h)
        elif isinstance(value, bool):
            lib.lumo_variant_set_bool(h, 1 if value else 0)
        elif isinstance(value, int):
            if not -2**31 <= value < 2**31:
                raise OverflowError(f"{value} does not fit a 32-bit integer")
            lib.lumo_variant_set_int32(h, value)
        elif isinstance(value, float):
            lib.lumo_variant_set_double(h, value)
        elif isinstance(value, str):
            lib.lumo_variant_set_string(h, value.encode("utf-8"))
        elif isinstance(value, Object):
            lib.lumo_variant_set_object(h, value._handle)
        else:
            raise TypeError(f"a {type(value).__name__} cannot be passed to the component")

    def get(self):
        return _value_of(self.handle)

    def close(self):
        if self.handle:
            _library().lumo_variant_free(self.handle)
            self.handle = None

    def __del__(self):
        self.close()


def _value_of(h):
    lib = _library()
    kind = lib.lumo_variant_type(h)
    if kind == _EMPTY:
        return None
    if kind == _BOOL:
        flag = ctypes.c_int()
        _check(lib.lumo_variant_get_bool(h, ctypes.byref(flag)))
        return bool(flag.value)
    if kind == _INT32:
        number = ctypes.c_int32()
        _check(lib.lumo_variant_get_int32(h, ctypes.byref(number)))
        return number.value
    if kind == _DOUBLE:
        real = ctypes.c_double()
        _check(lib.lumo_variant_get_double(h, ctypes.byref(real)))
        return real.value
    if kind == _OBJECT:
        handle = lib.lumo_variant_get_object(h)
        return Object(handle) if handle else None
    text = lib.lumo_variant_get_string(h)
    return text.decode("utf-8", "replace") if text is not None else None


class Object:
    """A component object; its operations and properties are attributes."""

    def __init__(self, handle):
        object.__setattr__(self, "_handle", handle)
        object.__setattr__(self, "_callbacks", {})

    def advise(self, callback):
        """Calls callback(event, *arguments) for each event of the object,
        on this thread while it runs its event loop (DoEvents(ms) runs it);
        returns the cookie for unadvise. A callback that raises is dropped."""

        def relay(_user, event, arguments, count):
            try:
                callback(event.decode("utf-8"), *[_value_of(arguments[i]) for i in range(count)])
                return 0
            except Exception:  # the component drops the callback and logs why
                return 1

        function = _EventCallback(relay)
        cookie = ctypes.c_uint32()
        _check(_library().lumo_advise(self._handle, function, None, ctypes.byref(cookie)))
        self._callbacks[cookie.value] = function  # kept alive while advised
        return cookie.value

    def unadvise(self, cookie):
        _check(_library().lumo_unadvise(self._handle, cookie))
        self._callbacks.pop(cookie, None)

    def call(self, name, *arguments):
        """Calls an operation or reads a property by name; Ref arguments
        come back with the operation's values."""
        variants = [_Variant(a.value if isinstance(a, Ref) else a) for a in arguments]
        result = _Variant()
        try:
            array = (ctypes.c_void_p * max(len(variants), 1))(*[v.handle for v in variants])
            _check(_library().lumo_call(self._handle, name.encode("utf-8"), array, len(variants), result.handle))
            for argument, variant in zip(arguments, variants):
                if isinstance(argument, Ref):
                    argument.value = variant.get()
            return result.get()
        finally:
            for variant in variants:
                variant.close()
            result.close()

    def set(self, name, value):
        """Assigns a property by name."""
        variant = _Variant(value)
        try:
            _check(_library().lumo_set(self._handle, name.encode("utf-8"), variant.handle))
        finally:
            variant.close()

    def __getattr__(self, name):
        # audio.DoPlay() calls the operation; audio.Volume() reads the
        # property (a read is a call without arguments).
        if name.startswith("_"):
            raise AttributeError(name)
        return lambda *arguments: self.call(name, *arguments)

    def __setattr__(self, name, value):
        self.set(name, value)

    def release(self):
        """Lets go of the object now rather than when Python collects it."""
        handle = self._handle
        object.__setattr__(self, "_handle", None)
        if handle:
            _library().lumo_release(handle)

    def __del__(self):
        if getattr(self, "_handle", None):
            self.release()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.release()


def create(progid=PROGID):
    """Creates an object by its ProgID (registered for the user, or for the
    system by the package)."""
    handle = ctypes.c_void_p()
    _check(_library().lumo_create(progid.encode("utf-8") if progid else None, ctypes.byref(handle)))
    return Object(handle.value)
