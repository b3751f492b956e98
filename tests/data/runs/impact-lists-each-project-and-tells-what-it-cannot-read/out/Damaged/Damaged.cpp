// Damaged for CKelInterface
