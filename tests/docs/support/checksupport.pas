{ What the generated calls of the Delphi check (tests/docs/make_pascal.py)
  use: the stub's stack mark, the texts and buffers handed over, the checks
  after each call and the tally. }
unit checksupport;

interface

uses SysUtils;

const
  Guard = 8;

type
  TBuffer = record
    Data, Expected: TBytes;
    What: string;
  end;

  TRow = class
  private
    FName: string;
    FProblems: string;
    FBuffers: array of TBuffer;
    FWide: array of UnicodeString;
    FAnsi: array of AnsiString;
    FIntsAfter: array[0..7] of Integer;
    FIntCount: Integer;
    procedure Problem(const Text: string);
    function Keep(const Data, Expected: TBytes; const What: string): Pointer;
  public
    Ints: array[0..7] of Integer;
    constructor Create(const Name: string);
    function WideAddress(const Text: UnicodeString): NativeInt;
    function Wide(const Text: UnicodeString): PWideChar;
    function Ansi(const Text: UnicodeString): PAnsiChar;
    function IntRef(Before, After: Integer): Integer;
    function Bytes(Size: Integer; Fill: Byte; const After: array of Byte): Pointer;
    function Text(const Initial, Appended: array of Byte): PAnsiChar;
    procedure Constant(const Name: string; Value, Expected: Integer); overload;
    procedure Constant(const Name, Value, Expected: string); overload;
    procedure Finish(Answer, Expected, MarkBefore, MarkAfter: Integer);
  end;

function Number(Value64: Int64; Value32: Integer): NativeInt;
{ The strings joined by commas. }
function Joined(const Names: array of string): string;
function vcxstub_StackMark: Integer; cdecl; external 'vcxcap.dll';
{ Prints the tally, and sets the exit code. }
procedure Summary(const Arch: string);

implementation

var
  Passed, Failed: Integer;

function Number(Value64: Int64; Value32: Integer): NativeInt;
begin
{$ifdef CPU64}
  Result := Value64;
{$else}
  Result := Value32;
{$endif}
end;

function Joined(const Names: array of string): string;
var
  I: Integer;
begin
  Result := '';
  for I := 0 to High(Names) do
  begin
    if I > 0 then
      Result := Result + ',';
    Result := Result + Names[I];
  end;
end;

function Hex(const Data: TBytes): string;
var
  I: Integer;
begin
  Result := '';
  for I := 0 to High(Data) do
    Result := Result + IntToHex(Data[I], 2);
end;

constructor TRow.Create(const Name: string);
begin
  FName := Name;
end;

procedure TRow.Problem(const Text: string);
begin
  WriteLn('FAIL ', FName, ': ', Text);
  FProblems := FProblems + Text;
end;

function TRow.WideAddress(const Text: UnicodeString): NativeInt;
begin
  Result := NativeInt(Wide(Text));
end;

function TRow.Wide(const Text: UnicodeString): PWideChar;
begin
  SetLength(FWide, Length(FWide) + 1);
  FWide[High(FWide)] := Text;
  Result := PWideChar(FWide[High(FWide)]);
end;

function TRow.Ansi(const Text: UnicodeString): PAnsiChar;
begin
  SetLength(FAnsi, Length(FAnsi) + 1);
  FAnsi[High(FAnsi)] := AnsiString(Text);
  Result := PAnsiChar(FAnsi[High(FAnsi)]);
end;

function TRow.IntRef(Before, After: Integer): Integer;
begin
  Ints[FIntCount] := Before;
  FIntsAfter[FIntCount] := After;
  Result := FIntCount;
  Inc(FIntCount);
end;

function TRow.Keep(const Data, Expected: TBytes; const What: string): Pointer;
begin
  SetLength(FBuffers, Length(FBuffers) + 1);
  FBuffers[High(FBuffers)].Data := Data;
  FBuffers[High(FBuffers)].Expected := Expected;
  FBuffers[High(FBuffers)].What := What;
  Result := @FBuffers[High(FBuffers)].Data[0];
end;

function TRow.Bytes(Size: Integer; Fill: Byte; const After: array of Byte): Pointer;
var
  Data, Expected: TBytes;
  I: Integer;
begin
  SetLength(Data, Size + Guard);
  SetLength(Expected, Size + Guard);
  FillChar(Data[0], Size + Guard, Fill);
  FillChar(Expected[0], Size + Guard, Fill);
  for I := 0 to Size - 1 do
    Expected[I] := After[I];
  Result := Keep(Data, Expected, 'the buffer');
end;

function TRow.Text(const Initial, Appended: array of Byte): PAnsiChar;
var
  Data, Expected: TBytes;
  Size, I: Integer;
begin
  Size := Length(Initial) + Length(Appended) + 1 + Guard;
  SetLength(Data, Size);
  SetLength(Expected, Size);
  FillChar(Data[0], Size, $EE);
  FillChar(Expected[0], Size, $EE);
  for I := 0 to High(Initial) do
  begin
    Data[I] := Initial[I];
    Expected[I] := Initial[I];
  end;
  Data[Length(Initial)] := 0;
  for I := 0 to High(Appended) do
    Expected[Length(Initial) + I] := Appended[I];
  Expected[Length(Initial) + Length(Appended)] := 0;
  Result := PAnsiChar(Keep(Data, Expected, 'the text'));
end;

procedure TRow.Constant(const Name: string; Value, Expected: Integer);
begin
  if Value <> Expected then
    Problem(Format('%s is %d, expected %d', [Name, Value, Expected]));
end;

procedure TRow.Constant(const Name, Value, Expected: string);
begin
  if Value <> Expected then
    Problem(Format('%s is %s, expected %s', [Name, Value, Expected]));
end;

procedure TRow.Finish(Answer, Expected, MarkBefore, MarkAfter: Integer);
var
  I: Integer;
begin
  if Answer <> Expected then
    Problem(Format('answered %d, expected %d', [Answer, Expected]));
  for I := 0 to FIntCount - 1 do
    if Ints[I] <> FIntsAfter[I] then
      Problem(Format('int %d written back holds %d, expected %d', [I + 1, Ints[I], FIntsAfter[I]]));
  for I := 0 to High(FBuffers) do
    if Hex(FBuffers[I].Data) <> Hex(FBuffers[I].Expected) then
      Problem(FBuffers[I].What + ' holds ' + Hex(FBuffers[I].Data) + ', expected ' +
        Hex(FBuffers[I].Expected));
  if MarkAfter <> MarkBefore then
    Problem(Format('the stack pointer moved by %d bytes across the call', [MarkAfter - MarkBefore]));
  if FProblems = '' then
    Inc(Passed)
  else
    Inc(Failed);
  Free;
end;

procedure Summary(const Arch: string);
begin
  WriteLn('delphi-', Arch, ': ', Passed, ' passed, ', Failed, ' failed');
  if Failed > 0 then
    ExitCode := 1;
end;

end.
