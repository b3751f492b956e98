// Demo for CKelInterface
