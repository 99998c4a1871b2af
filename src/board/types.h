// Numbering shared by the whole engine: squares, colours, pieces and their encodings.
#pragma once

#include <cstdint>

using Bitboard = uint64_t;

// Squares run a8 = 0 ... h1 = 63, row by row; row 0 is rank 8.
enum Square : int {
  A8, B8, C8, D8, E8, F8, G8, H8,
  A7, B7, C7, D7, E7, F7, G7, H7,
  A6, B6, C6, D6, E6, F6, G6, H6,
  A5, B5, C5, D5, E5, F5, G5, H5,
  A4, B4, C4, D4, E4, F4, G4, H4,
  A3, B3, C3, D3, E3, F3, G3, H3,
  A2, B2, C2, D2, E2, F2, G2, H2,
  A1, B1, C1, D1, E1, F1, G1, H1,
};

enum Colour : int { White = 0, Black = 1 };
enum Piece : int { NoPiece = 0, Pawn = 1, Knight = 2, Bishop = 3, Rook = 4, Queen = 5, King = 6 };

constexpr int fileOf(int sq) { return sq & 7; }
constexpr int rowOf(int sq) { return sq >> 3; }
constexpr int rankOf(int sq) { return 8 - rowOf(sq); }
constexpr int makeSquare(int row, int file) { return row * 8 + file; }
constexpr int flipSquare(int sq) { return sq ^ 56; }  // mirror ranks
constexpr Bitboard bitOf(int sq) { return Bitboard{1} << sq; }
constexpr bool onBoard(int row, int file) { return row >= 0 && row < 8 && file >= 0 && file < 8; }

// A Board's mailbox holds piece | colour << 7 (black king = 0x86); 0 is empty.
constexpr uint8_t mailboxCode(int colour, int piece) { return uint8_t(piece | (colour << 7)); }
constexpr int mailboxPiece(uint8_t code) { return code & 7; }
constexpr int mailboxColour(uint8_t code) { return code >> 7; }

// Zobrist keys and bitboards are indexed by colour * 8 + piece (white pawn 1, black king 14).
constexpr int keyCode(int colour, int piece) { return colour * 8 + piece; }

constexpr char whitePieceLetters[] = " PNBRQK";
constexpr char blackPieceLetters[] = " pnbrqk";
constexpr char fileLetters[] = "abcdefgh";
constexpr char rankChars[] = "87654321";  // by row

constexpr Bitboard FileABits = 0x0101010101010101ULL;
constexpr Bitboard FileHBits = 0x8080808080808080ULL;
constexpr Bitboard fileBits(int file) { return FileABits << file; }
constexpr Bitboard rowBits(int row) { return Bitboard{0xFF} << (8 * row); }
