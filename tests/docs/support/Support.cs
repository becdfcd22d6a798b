// What the generated calls of the C# check (tests/docs/make_csharp.py) use:
// the stub's stack mark, the buffers an export writes back into (handed over
// as byte[] or as an address, whichever the declaration takes), the checks
// after each call and the tally.
using System;
using System.Collections.Generic;
using System.Runtime.InteropServices;

public static class Stub
{
    [DllImport("vcxcap.dll", CallingConvention = CallingConvention.Cdecl)]
    public static extern int vcxstub_StackMark();
}

public sealed class Buffer
{
    readonly byte[] bytes;
    readonly byte[] expected;
    readonly string what;
    GCHandle pin;

    public Buffer(byte[] before, byte[] expected, string what)
    {
        bytes = before;
        this.expected = expected;
        this.what = what;
    }

    public static implicit operator byte[](Buffer buffer) { return buffer.bytes; }

    public static implicit operator IntPtr(Buffer buffer)
    {
        if (!buffer.pin.IsAllocated) buffer.pin = GCHandle.Alloc(buffer.bytes, GCHandleType.Pinned);
        return buffer.pin.AddrOfPinnedObject();
    }

    public void Check(List<string> problems)
    {
        if (pin.IsAllocated) pin.Free();
        if (BitConverter.ToString(bytes) != BitConverter.ToString(expected))
            problems.Add(what + " holds " + BitConverter.ToString(bytes) + ", expected " + BitConverter.ToString(expected));
    }
}

public sealed class Row
{
    public static int Passed, Failed;
    public readonly int[] Ints = new int[8];
    readonly int[] intsAfter = new int[8];
    int intCount;
    readonly string name;
    readonly List<string> problems = new List<string>();
    readonly List<Buffer> buffers = new List<Buffer>();
    readonly List<IntPtr> texts = new List<IntPtr>();
    const int Guard = 8;

    public Row(string name) { this.name = name; }

    public static IntPtr Number(long value64, int value32)
    {
        return IntPtr.Size == 8 ? new IntPtr(value64) : new IntPtr(value32);
    }

    public IntPtr WideAddress(string text)
    {
        IntPtr address = Marshal.StringToHGlobalUni(text);
        texts.Add(address);
        return address;
    }

    public int IntRef(int before, int after)
    {
        Ints[intCount] = before;
        intsAfter[intCount] = after;
        return intCount++;
    }

    public Buffer Bytes(int size, byte fill, byte[] after)
    {
        var before = new byte[size + Guard];
        var expected = new byte[size + Guard];
        for (int i = 0; i < before.Length; ++i) before[i] = expected[i] = fill;
        Array.Copy(after, expected, size);
        return Keep(new Buffer(before, expected, "the buffer"));
    }

    public Buffer Text(byte[] initial, byte[] appended)
    {
        int size = initial.Length + appended.Length + 1 + Guard;
        var before = new byte[size];
        var expected = new byte[size];
        for (int i = 0; i < size; ++i) before[i] = expected[i] = 0xEE;
        Array.Copy(initial, before, initial.Length);
        before[initial.Length] = 0;
        Array.Copy(initial, expected, initial.Length);
        Array.Copy(appended, 0, expected, initial.Length, appended.Length);
        expected[initial.Length + appended.Length] = 0;
        return Keep(new Buffer(before, expected, "the text"));
    }

    Buffer Keep(Buffer buffer)
    {
        buffers.Add(buffer);
        return buffer;
    }

    public void Constant(string constant, object value, object expected)
    {
        if (!value.Equals(expected))
            problems.Add(constant + " is " + value + " (" + value.GetType().Name + "), expected " + expected);
    }

    public void Finish(int answer, int expected, int markBefore, int markAfter)
    {
        if (answer != expected) problems.Add("answered " + answer + ", expected " + expected);
        for (int i = 0; i < intCount; ++i)
            if (Ints[i] != intsAfter[i])
                problems.Add("int " + (i + 1) + " written back holds " + Ints[i] + ", expected " + intsAfter[i]);
        foreach (Buffer buffer in buffers) buffer.Check(problems);
        foreach (IntPtr text in texts) Marshal.FreeHGlobal(text);
        if (markAfter != markBefore)
            problems.Add("the stack pointer moved by " + (markAfter - markBefore) + " bytes across the call");
        foreach (string problem in problems) Console.WriteLine("FAIL " + name + ": " + problem);
        if (problems.Count == 0) ++Passed; else ++Failed;
    }
}

public static class ExportCheck
{
    static int Main(string[] args)
    {
        Calls.All();
        Console.WriteLine("csharp-" + args[0] + ": " + Row.Passed + " passed, " + Row.Failed + " failed");
        return Row.Failed == 0 ? 0 : 1;
    }
}
